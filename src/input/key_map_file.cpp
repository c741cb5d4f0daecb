// Key map files and reloading. A key map file is XML: under a root element
// of any name, `binding` elements (attributes `key` and `command`, `context`
// children with `name` and `value`) and `namespace` elements (attribute
// `name`) whose bindings are bound only through a root binding whose command
// holds "${name}": each namespace binding is then bound under the root key
// followed by its own key, with its command put in place of the "${name}".
// Files are read through the file manager and parsed from memory, so that
// data paths that the C library cannot open (any path under Wine, non-ASCII
// paths on Windows) still work. A file is parsed and its namespaces expanded
// completely before the first of its bindings is bound, so a file that is
// refused (bad XML, or more bindings than any key map needs) binds nothing.
#include "input/binding_map.h"

#include <cstring>
#include <string>

#include <tinyxml.h>

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/string_interner.h"
#include "ui/string_utils.h"
#include "ui/text/parse_exception.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

using Namespaces = std::map<ustring, std::vector<KeyBinding>>;

// An attribute as text: false when it is missing or not UTF-8.
bool readAttribute(const TiXmlElement* element, const char* name, ustring& text)
{
    const char* value = element->Attribute(name);
    if (!value)
        return false;
    const size_t length = std::strlen(value);
    text = utf8ToUtf16(value, value + length);
    return length == 0 || !text.empty();
}

// One `binding` element; false when it lacks its key or command. Contexts
// without a name or value are left out.
bool readBindingElement(const TiXmlElement* element, StringInterner& interner, KeyBinding& binding)
{
    if (!readAttribute(element, "key", binding.key) || !readAttribute(element, "command", binding.command))
        return false;
    for (const TiXmlElement* context = element->FirstChildElement("context"); context;
         context = context->NextSiblingElement("context")) {
        ustring name;
        ustring value;
        if (!readAttribute(context, "name", name) || !readAttribute(context, "value", value))
            continue;
        binding.contexts.push_back({interner.intern(name), interner.intern(value)});
    }
    return true;
}

void onKeymapFileChanged(const ustring&, int32_t, void* userData)
{
    static_cast<BindingMap*>(userData)->reload();
}

} // namespace

bool BindingMap::readFile(const ustring& path)
{
    VLOG << "Reading keymap " << path;
    ustring shownPath;
    std::vector<KeyBinding> bindings;
    try {
        bindings = readBindings(path, *m_interner, shownPath);
    } catch (const ParseException& error) {
        const ustring message =
            u"Error parsing key binding xml: " + toUstring(std::string(error.what())) + u" In file " + shownPath;
        VLOG << message;
        if (NotificationManager::alive())
            NotificationManager::get().displayError(message);
        return false;
    }
    for (const KeyBinding& binding : bindings)
        bind(binding.key, binding.command, binding.contexts);
    return true;
}

std::vector<KeyBinding> BindingMap::readBindings(const ustring& path, StringInterner& interner, ustring& shownPath)
{
    TiXmlDocument document;
    std::string problem = readXmlFile(path, document, true, shownPath);
    if (document.Error() && document.ErrorRow() > 0) {
        // Key map messages give only the line. Refusals of the XML reader
        // itself (nesting too deep, a NUL byte) have no line in the parser
        // and keep the reader's own reason.
        problem = document.ErrorDesc();
        problem += " (line ";
        problem += std::to_string(document.ErrorRow());
        problem += ")";
    }
    if (!problem.empty())
        throw ParseException(problem);

    const TiXmlElement* root = document.RootElement();
    Namespaces namespaces;
    for (const TiXmlElement* space = root->FirstChildElement("namespace"); space;
         space = space->NextSiblingElement("namespace")) {
        ustring name;
        if (!readAttribute(space, "name", name))
            continue;
        std::vector<KeyBinding>& list = namespaces[name];
        for (const TiXmlElement* element = space->FirstChildElement("binding"); element;
             element = element->NextSiblingElement("binding")) {
            KeyBinding binding;
            if (readBindingElement(element, interner, binding))
                list.push_back(std::move(binding));
        }
    }
    std::vector<KeyBinding> expanded;
    for (const TiXmlElement* element = root->FirstChildElement("binding"); element;
         element = element->NextSiblingElement("binding")) {
        KeyBinding binding;
        if (!readBindingElement(element, interner, binding))
            continue;
        try {
            expandNamespace(std::move(binding), namespaces, expanded);
        } catch (const ParseException& error) {
            throw ParseException(std::string(error.what()) + " The limit is reached at line " +
                                 std::to_string(element->Row()) + ".");
        }
    }
    return expanded;
}

void BindingMap::expandNamespace(KeyBinding&& binding, const Namespaces& namespaces,
                                 std::vector<KeyBinding>& expanded)
{
    const ustring& command = binding.command;
    const size_t dollar = command.find(u'$');
    const bool usesNamespace = dollar != ustring::npos && dollar + 1 < command.size() && command[dollar + 1] == u'{';
    const size_t close = usesNamespace ? command.find(u'}', dollar) : ustring::npos;
    if (usesNamespace && close == ustring::npos)
        return;
    const std::vector<KeyBinding>* inners = nullptr;
    if (usesNamespace) {
        auto space = namespaces.find(command.substr(dollar + 2, close - dollar - 2));
        if (space == namespaces.end())
            return;
        inners = &space->second;
    }
    // Checked before anything is copied, so a refused file costs no more
    // than the limit.
    if ((inners ? inners->size() : 1) > kMaxKeyMapBindings - expanded.size())
        throw ParseException("The key map expands to more than " + std::to_string(kMaxKeyMapBindings) +
                             " bindings (namespaces count once for every binding that uses them).");
    if (!inners) {
        expanded.push_back(std::move(binding));
        return;
    }
    const ustring prefix = command.substr(0, dollar);
    const ustring suffix = command.substr(close + 1);
    for (const KeyBinding& inner : *inners) {
        std::vector<ContextCondition> contexts = binding.contexts;
        contexts.insert(contexts.end(), inner.contexts.begin(), inner.contexts.end());
        expanded.push_back({binding.key + u"," + inner.key, prefix + inner.command + suffix, std::move(contexts)});
    }
}

void BindingMap::reload()
{
    Tables previous = std::move(m_tables);
    m_tables = Tables();

    std::vector<KeyBinding> fromSources;
    for (BindingSourceManager::BindingSource* source : BindingSourceManager::get().sources())
        source->getBindings(fromSources);
    for (const KeyBinding& binding : fromSources)
        bind(binding.key, binding.command, binding.contexts);

    bool ok = true;
    if (!m_keymapName.empty() && slate::FileManager::alive()) {
        for (const char16_t* suffix : {u".vantrel-keymap", u" - User.vantrel-keymap"}) {
            std::vector<ustring> paths;
            slate::FileManager::get().findFiles(u"Packages/", m_keymapName + suffix, paths);
            for (const ustring& path : paths) {
                if (!readFile(path))
                    ok = false;
            }
        }
    }
    if (!ok)
        m_tables = std::move(previous);
}

void BindingMap::setKeymapName(const ustring& name)
{
    if (name == m_keymapName)
        return;
    m_keymapName = name;
    m_keymapWatch = DirectoryWatchHandle::watch(u"Packages/*.vantrel-keymap",
                                                FileChangeModified | FileChangeAdded | FileChangeRemoved,
                                                onKeymapFileChanged, this);
    reload();
}
