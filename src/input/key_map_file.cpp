// Key map files and reloading. A key map file is XML: under a root element
// of any name, `binding` elements (attributes `key` and `command`, `context`
// children with `name` and `value`) and `namespace` elements (attribute
// `name`) whose bindings are bound only through a root binding whose command
// holds "${name}": each namespace binding is then bound under the root key
// followed by its own key, with its command put in place of the "${name}".
// Files are read through the file manager and parsed from memory, so that
// data paths that the C library cannot open (any path under Wine, non-ASCII
// paths on Windows) still work.
#include "input/binding_map.h"

#include <cstring>
#include <string>

#include <tinyxml.h>

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/string_interner.h"
#include "ui/string_utils.h"
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
    TiXmlDocument document;
    ustring shownPath;
    std::string problem = readXmlFile(path, document, true, shownPath);
    if (document.Error()) {
        // Key map messages give only the line.
        problem = document.ErrorDesc();
        problem += " (line ";
        problem += std::to_string(document.ErrorRow());
        problem += ")";
    }
    if (!problem.empty()) {
        const ustring message =
            u"Error parsing key binding xml: " + toUstring(problem) + u" In file " + shownPath;
        VLOG << message;
        if (NotificationManager::alive())
            NotificationManager::get().displayError(message);
        return false;
    }

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
            if (readBindingElement(element, *m_interner, binding))
                list.push_back(std::move(binding));
        }
    }
    for (const TiXmlElement* element = root->FirstChildElement("binding"); element;
         element = element->NextSiblingElement("binding")) {
        KeyBinding binding;
        if (readBindingElement(element, *m_interner, binding))
            expandNamespace(binding, namespaces);
    }
    return true;
}

void BindingMap::expandNamespace(const KeyBinding& binding, const Namespaces& namespaces)
{
    const ustring& command = binding.command;
    const size_t dollar = command.find(u'$');
    if (dollar == ustring::npos || dollar + 1 >= command.size() || command[dollar + 1] != u'{') {
        bind(binding.key, command, binding.contexts);
        return;
    }
    const size_t close = command.find(u'}', dollar);
    if (close == ustring::npos)
        return;
    auto space = namespaces.find(command.substr(dollar + 2, close - dollar - 2));
    if (space == namespaces.end())
        return;
    const ustring prefix = command.substr(0, dollar);
    const ustring suffix = command.substr(close + 1);
    for (const KeyBinding& inner : space->second) {
        std::vector<ContextCondition> contexts = binding.contexts;
        contexts.insert(contexts.end(), inner.contexts.begin(), inner.contexts.end());
        bind(binding.key + u"," + inner.key, prefix + inner.command + suffix, contexts);
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
