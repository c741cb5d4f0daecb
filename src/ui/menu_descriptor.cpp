// The menu model and the menu XML reader. Files are read through the file
// manager and parsed from memory, so that data paths the C library cannot
// open (any path under Wine) still work. The reader builds into a fresh list
// and appends it only when the whole file parsed, so a bad file leaves the
// menu exactly as it was.
#include "ui/menu_descriptor.h"

#include <cstdlib>
#include <string>

#include <tinyxml.h>

#include "ui/log.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

constexpr int kMinimumRepeat = 1;
constexpr int kMaximumRepeat = 64;

bool sameNameIgnoringCase(const char* name, const char* expected)
{
    for (; *name && *expected; ++name, ++expected) {
        char a = *name;
        if (a >= 'A' && a <= 'Z')
            a = static_cast<char>(a - 'A' + 'a');
        if (a != *expected)
            return false;
    }
    return *name == *expected;
}

// UTF-8 text of the document as program text; false when it is not UTF-8
// (the XML helper marks such bytes, so they never pass as text).
bool toProgramText(const std::string& text, ustring& out)
{
    out = utf8ToUtf16(text.data(), text.data() + text.size());
    return text.empty() || !out.empty();
}

// "%i" becomes `index` and "%I" becomes `index` + 1, left to right.
std::string expandCounters(const char* text, int index)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        if (p[0] == '%' && (p[1] == 'i' || p[1] == 'I')) {
            out += std::to_string(p[1] == 'i' ? index : index + 1);
            ++p;
        } else {
            out += *p;
        }
    }
    return out;
}

// The decimal value of "repeat" brought into 1..64; 1 when absent. Huge
// values saturate in strtol rather than overflow.
int repeatCount(const char* text)
{
    if (!text)
        return kMinimumRepeat;
    const long value = std::strtol(text, nullptr, 10);
    if (value < kMinimumRepeat)
        return kMinimumRepeat;
    if (value > kMaximumRepeat)
        return kMaximumRepeat;
    return static_cast<int>(value);
}

void readItem(const TiXmlElement* element, std::vector<MenuEntry>& entries)
{
    const char* caption = element->Attribute("caption");
    const char* command = element->Attribute("command");
    if (!caption || !command)
        return;
    const int count = repeatCount(element->Attribute("repeat"));
    for (int i = 0; i < count; ++i) {
        slate::SP<MenuItem> item(new MenuItem);
        if (!toProgramText(expandCounters(caption, i), item->m_caption) ||
            !toProgramText(expandCounters(command, i), item->m_command))
            return;
        entries.push_back({nullptr, item});
    }
}

void readEntries(const TiXmlElement* parent, std::vector<MenuEntry>& entries)
{
    for (const TiXmlElement* element = parent->FirstChildElement(); element;
         element = element->NextSiblingElement()) {
        const char* name = element->Value();
        if (sameNameIgnoringCase(name, "menu")) {
            const char* caption = element->Attribute("caption");
            ustring text;
            if (!caption || !toProgramText(caption, text))
                continue;
            slate::SP<MenuDescriptor> submenu(new MenuDescriptor(text));
            readEntries(element, submenu->m_entries);
            entries.push_back({submenu, nullptr});
        } else if (sameNameIgnoringCase(name, "item")) {
            readItem(element, entries);
        } else if (sameNameIgnoringCase(name, "separator")) {
            entries.push_back({nullptr, slate::SP<MenuItem>(new MenuItem(u"-", ustring()))});
        } else if (sameNameIgnoringCase(name, "dynamicmenu")) {
            const char* caption = element->Attribute("caption");
            const char* key = element->Attribute("key");
            ustring captionText;
            ustring keyText;
            if (!caption || !key || !toProgramText(caption, captionText) || !toProgramText(key, keyText))
                continue;
            slate::SP<MenuDescriptor> submenu(new MenuDescriptor(captionText));
            submenu->m_dynamicKey = keyText;
            entries.push_back({submenu, nullptr});
        }
    }
}

} // namespace

void MenuDescriptor::addItem(const ustring& caption, const ustring& command)
{
    m_entries.push_back({nullptr, slate::SP<MenuItem>(new MenuItem(caption, command))});
}

void MenuDescriptor::addSeparator()
{
    addItem(u"-", ustring());
}

void MenuDescriptor::addSubmenu(const slate::SP<MenuDescriptor>& menu)
{
    m_entries.push_back({menu, nullptr});
}

void MenuDescriptor::append(const slate::SP<MenuDescriptor>& menu)
{
    if (menu->m_entries.size() == 1)
        m_entries.push_back(menu->m_entries.front());
    else
        addSubmenu(menu);
}

slate::SP<MenuDescriptor> MenuDescriptor::findSubmenu(const ustring& caption) const
{
    for (const MenuEntry& entry : m_entries) {
        if (entry.m_submenu && entry.m_submenu->m_caption == caption)
            return entry.m_submenu;
    }
    return nullptr;
}

bool MenuDescriptor::load(const ustring& path, ustring& error)
{
    TiXmlDocument document;
    ustring shownPath;
    const std::string problem = readXmlFile(path, document, true, shownPath);
    if (!problem.empty()) {
        error = u"Error parsing menu xml: " + toUstring(problem) + u" In file " + shownPath;
        VLOG << error;
        return false;
    }

    std::vector<MenuEntry> entries;
    readEntries(document.RootElement(), entries);
    m_entries.insert(m_entries.end(), entries.begin(), entries.end());
    return true;
}

ustring escapeMenuCaption(const ustring& text)
{
    ustring out;
    out.reserve(text.size());
    for (uchar c : text) {
        if (c == u'&')
            out += u"&&";
        else if (c == u'\t')
            out += u' ';
        else
            out += c;
    }
    return out;
}
