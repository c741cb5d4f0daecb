// The toolbar file is read whole through the file manager and parsed from
// memory, and only a file that parsed replaces the buttons: a half-written
// or broken file, saved while the user edits it, leaves the last good
// toolbar on screen. A watch reloads the file on every write and
// re-creation, and one save may arrive as both; the error of a broken file
// is therefore shown once per broken content, not once per reload.
#include "texteditor/toolbar.h"

#include <tinyxml.h>

#include <functional>
#include <string_view>

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/theme.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

ustring attribute(const TiXmlElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value ? toUstring(std::string(value)) : ustring();
}

} // namespace

std::string readToolbarFile(const ustring& path, std::vector<ToolbarFileGroup>& groups, size_t& bytesHash)
{
    slate::SP<slate::MemoryBlock> block = slate::FileManager::get().read(path);
    const char* bytes = block ? reinterpret_cast<const char*>(block->data()) : "";
    const size_t size = block ? block->size() : 0;
    bytesHash = std::hash<std::string_view>()(std::string_view(bytes, size));
    if (!block)
        return "Failed to open file";
    TiXmlDocument document;
    std::string problem;
    if (!parseXmlDocument(document, bytes, size, false, &problem)) {
        const char* description = document.ErrorDesc();
        return description && *description ? std::string(description) : problem;
    }
    const TiXmlElement* root = document.RootElement();
    if (!root)
        return "Document empty.";

    std::vector<ToolbarFileGroup> read;
    for (const TiXmlElement* group = root->FirstChildElement("group"); group;
         group = group->NextSiblingElement("group")) {
        ToolbarFileGroup& buttons = read.emplace_back();
        for (const TiXmlElement* button = group->FirstChildElement("button"); button;
             button = button->NextSiblingElement("button"))
            buttons.push_back({attribute(button, "command"), attribute(button, "caption"), attribute(button, "icon")});
    }
    groups = std::move(read);
    return std::string();
}

ToolbarButton::ToolbarButton(Canvas* canvas, const ToolbarButtonEntry& entry)
    : icon(std::make_unique<SimpleTextureShader>(canvas, entry.icon)), command(entry.command), caption(entry.caption)
{
}

ToolbarButton::~ToolbarButton() = default;
ToolbarButton::ToolbarButton(ToolbarButton&&) noexcept = default;
ToolbarButton& ToolbarButton::operator=(ToolbarButton&&) noexcept = default;

Toolbar::Toolbar() = default;

Toolbar::~Toolbar()
{
    clear();
    m_watch.reset();
}

bool Toolbar::watchAndLoad(Canvas* canvas, const ustring& path)
{
    m_canvas = canvas;
    m_watch = DirectoryWatchHandle::watch(path, FileChangeModified | FileChangeAdded, onToolbarFileChanged, this);
    return load(path);
}

bool Toolbar::load(const ustring& path)
{
    if (!m_canvas)
        return false;
    std::vector<ToolbarFileGroup> groups;
    size_t bytesHash = 0;
    const std::string problem = readToolbarFile(path, groups, bytesHash);
    if (!problem.empty()) {
        const ustring message = u"Error parsing toolbar xml: " + toUstring(problem) + u" In file " + path;
        if (message == m_shownError && bytesHash == m_shownErrorBytesHash) {
            VLOG << message;
            return false;
        }
        m_shownError = message;
        m_shownErrorBytesHash = bytesHash;
        if (NotificationManager::alive())
            NotificationManager::get().displayError(message);
        return false;
    }
    m_shownError.clear();
    clear();
    for (const ToolbarFileGroup& entries : groups) {
        ToolbarGroup& buttons = m_groups.emplace_back();
        for (const ToolbarButtonEntry& entry : entries)
            buttons.emplace_back(m_canvas, entry);
    }
    return true;
}

void Toolbar::clear() { m_groups.clear(); }

void onToolbarFileChanged(const ustring& path, int32_t, void* toolbar)
{
    static_cast<Toolbar*>(toolbar)->load(path);
}
