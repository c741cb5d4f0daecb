// Session files. The document is TinyXML's, every value the text of a child
// element (xml_settings.h), with one attribute: the root's version. Texts
// that must come back exactly (options, buffer contents, the history) go in
// as CDATA or escaped text, whichever carries them, and are parsed with white
// space kept. The seven history lists travel as one options text, a line per
// list, each entry escaped and quoted as a command-line word.
//
// A session restores windows and unsaved text, so a file this program cannot
// trust is refused whole rather than half applied: damaged or cut short
// (TinyXML reports an unclosed element), not a session, or of any version
// but this one. The caller shows the reason. Writing goes through a
// temporary file and a rename, so a failed or interrupted save leaves the
// previous session as it was.
#include "texteditor/application_settings.h"

#include <tinyxml.h>

#include "filesystem/file_utils.h"
#include "filesystem/native_file.h"
#include "texteditor/text_editor_application.h"
#include "ui/log.h"
#include "ui/options.h"
#include "ui/parse_strings.h"
#include "ui/string_utils.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

const char kSessionFileVersion[] = "2";

namespace {

// The history lists in the order of their lines, with their keys.
struct HistoryField {
    const char* key;
    HistoryList ApplicationSettings::*list;
};

const HistoryField kHistoryFields[] = {
    {"recentFiles", &ApplicationSettings::recentFiles},
    {"recentProjects", &ApplicationSettings::recentProjects},
    {"findHistory", &ApplicationSettings::findHistory},
    {"findLocationHistory", &ApplicationSettings::findLocationHistory},
    {"findIncludeHistory", &ApplicationSettings::findIncludeHistory},
    {"replaceHistory", &ApplicationSettings::replaceHistory},
    {"consoleHistory", &ApplicationSettings::consoleHistory},
};

TiXmlElement* appendChild(TiXmlElement* parent, const char* name)
{
    auto* child = new TiXmlElement(name);
    parent->LinkEndChild(child);
    return child;
}

// Written as addXmlOptionsElement does; null options as empty ones.
void addOptions(TiXmlElement* parent, const slate::SP<Options>& options)
{
    addXmlTextElement(parent, "options", options ? options->serialise() : ustring());
}

float floatText(const TiXmlElement* element)
{
    return static_cast<float>(toDouble(xmlText(element)));
}

// A version made of decimal digits alone that is above ours, so the user is
// told to use a newer program rather than that the file is damaged.
bool isNewerVersion(const std::string& version)
{
    if (version.empty() || version.size() > 9 || version.find_first_not_of("0123456789") != std::string::npos)
        return false;
    return std::stoi(version) > std::stoi(kSessionFileVersion);
}

} // namespace

void WindowSettings::View::write(TiXmlElement* element) const
{
    addXmlElement(element, "bufferId", bufferId);
    addOptions(element, options);
}

void WindowSettings::View::read(const TiXmlElement* element)
{
    bufferId = xmlElementText(element, "bufferId");
    options = xmlElementOptions(element, "options");
}

void WindowSettings::Group::write(TiXmlElement* element) const
{
    addXmlElement(element, "activeView", activeView);
    for (const View& view : views)
        view.write(appendChild(element, "view"));
}

void WindowSettings::Group::read(const TiXmlElement* element)
{
    activeView = xmlElementInt(element, "activeView");
    for (const TiXmlElement* child = element->FirstChildElement("view"); child;
         child = child->NextSiblingElement("view")) {
        views.emplace_back();
        views.back().read(child);
    }
}

void WindowSettings::Buffer::write(TiXmlElement* element) const
{
    addXmlElement(element, "id", id);
    addXmlElement(element, "fileName", fileName);
    // Absent options stay absent, so they read back as null.
    if (options)
        addOptions(element, options);
    if (hasContents)
        addXmlTextElement(element, "contents", contents);
}

void WindowSettings::Buffer::read(const TiXmlElement* element)
{
    id = xmlElementText(element, "id");
    fileName = xmlElementText(element, "fileName");
    if (element->FirstChildElement("options"))
        options = xmlElementOptions(element, "options");
    hasContents = element->FirstChildElement("contents") != nullptr;
    if (hasContents)
        contents = xmlElementText(element, "contents");
}

void WindowSettings::write(TiXmlElement* element) const
{
    addXmlElement(element, "position", position);
    addXmlElement(element, "layoutType", layoutType);
    addXmlElement(element, "activeGroup", activeGroup);
    addXmlElement(element, "project", project);
    for (const Group& group : groups)
        group.write(appendChild(element, "group"));
    for (const Buffer& buffer : buffers)
        buffer.write(appendChild(element, "buffer"));
    for (float split : rowSplits)
        addXmlElement(element, "rowsplit", static_cast<double>(split));
    for (float split : colSplits)
        addXmlElement(element, "colsplit", static_cast<double>(split));
    for (const auto& [name, height] : panelHeights) {
        TiXmlElement* panel = appendChild(element, "panel");
        addXmlElement(panel, "name", name);
        addXmlElement(panel, "height", static_cast<double>(height));
    }
}

void WindowSettings::read(const TiXmlElement* element)
{
    position = xmlElementText(element, "position");
    layoutType = xmlElementInt(element, "layoutType");
    activeGroup = xmlElementInt(element, "activeGroup");
    project = xmlElementText(element, "project");
    for (const TiXmlElement* child = element->FirstChildElement(); child; child = child->NextSiblingElement()) {
        const std::string& name = child->ValueStr();
        if (name == "group") {
            groups.emplace_back();
            groups.back().read(child);
        } else if (name == "buffer") {
            buffers.emplace_back();
            buffers.back().read(child);
        } else if (name == "rowsplit") {
            rowSplits.push_back(floatText(child));
        } else if (name == "colsplit") {
            colSplits.push_back(floatText(child));
        } else if (name == "panel") {
            panelHeights[xmlElementText(child, "name")] = static_cast<float>(xmlElementDouble(child, "height"));
        }
    }
}

ApplicationSettings::ApplicationSettings()
    : recentFiles(kMaxRecentEntries, true),
      recentProjects(kMaxRecentEntries, true),
      findHistory(kFieldHistoryMaximum, false),
      findLocationHistory(kFieldHistoryMaximum, false),
      findIncludeHistory(kFieldHistoryMaximum, false),
      replaceHistory(kFieldHistoryMaximum, false),
      consoleHistory(kFieldHistoryMaximum, false)
{
}

void ApplicationSettings::write(TiXmlElement* root) const
{
    root->SetAttribute("version", kSessionFileVersion);
    slate::SP<Options> history(new Options);
    for (const HistoryField& field : kHistoryFields)
        history->set(field.key, historyToString(this->*field.list));
    addXmlOptionsElement(root, "history", history);
    for (const WindowSettings& window : windows)
        window.write(appendChild(root, "window"));
}

void ApplicationSettings::read(const TiXmlElement* root)
{
    slate::SP<Options> history = xmlElementOptions(root, "history");
    for (const HistoryField& field : kHistoryFields) {
        if (const ustring* value = history->find(field.key))
            appendHistoryFromString(this->*field.list, *value);
    }
    for (const TiXmlElement* child = root->FirstChildElement("window"); child;
         child = child->NextSiblingElement("window")) {
        windows.emplace_back();
        windows.back().read(child);
    }
}

std::string ApplicationSettings::writeToText() const
{
    TiXmlDocument document;
    auto* root = new TiXmlElement("session");
    document.LinkEndChild(root);
    write(root);
    TiXmlPrinter printer;
    document.Accept(&printer);
    return printer.Str();
}

bool ApplicationSettings::writeToFile(const ustring& path) const
{
    return writeFileAtomically(path, writeToText());
}

std::string ApplicationSettings::readFromText(const char* text, size_t size)
{
    TiXmlDocument document;
    std::string problem;
    if (!parseXmlDocument(document, text, size, true, &problem))
        return "it is damaged or incomplete: " + (problem.empty() ? std::string(document.ErrorDesc()) : problem);
    const TiXmlElement* root = document.RootElement();
    if (!root || root->ValueStr() != "session")
        return "it is not a session file.";
    const char* version = root->Attribute("version");
    if (!version)
        return "it does not say which version of the program wrote it.";
    if (std::string(version) != kSessionFileVersion) {
        if (isNewerVersion(version))
            return "it was written by a newer version of the program (session version " + std::string(version) + ").";
        return "its session version \"" + std::string(version) + "\" is not one this program reads.";
    }
    read(root);
    return std::string();
}

SessionReadResult ApplicationSettings::readFromFile(const ustring& path, ustring* error)
{
    if (nativeEntryKind(path) == NativeEntryKind::Missing)
        return SessionReadResult::Missing;
    std::string problem;
    slate::SP<slate::MemoryBlock> block = readNativeFile(path);
    if (!block)
        problem = "it cannot be read.";
    else
        problem = readFromText(reinterpret_cast<const char*>(block->data()), block->size());
    if (problem.empty())
        return SessionReadResult::Read;

    const ustring message = u"The session file \"" + path + u"\" was not restored: " + toUstring(problem);
    VLOG << message;
    if (error)
        *error = message;
    return SessionReadResult::Refused;
}

ustring historyToString(const HistoryList& list)
{
    ustring value;
    for (const ustring& entry : list.entries()) {
        const ustring escaped = escapeString(entry);
        if (optionsValueProblem(escaped))
            continue;
        if (!value.empty())
            value += u' ';
        value += u'"' + escaped + u'"';
    }
    return value;
}

void appendHistoryFromString(HistoryList& list, const ustring& value)
{
    std::vector<ustring> entries;
    parseStrings(value, entries);
    list.restore(entries);
}
