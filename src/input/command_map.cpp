#include "input/command_map.h"

#include "ui/parse_strings.h"
#include "ui/unicode.h"

void CommandMap::addEntry(const slate::substring& name, Entry entry)
{
    m_entries[utf8ToUtf16(name.begin, name.end)] = std::move(entry);
}

void CommandMap::remove(const slate::substring& name)
{
    m_entries.erase(utf8ToUtf16(name.begin, name.end));
}

const CommandMap::Entry* CommandMap::find(const slate::usubstring& line, std::vector<ustring>& words,
                                          CommandArguments& arguments) const
{
    parseStrings(line, words);
    if (words.empty())
        return nullptr;
    arguments.reserve(words.size());
    for (const ustring& word : words)
        arguments.emplace_back(word);
    auto it = m_entries.find(words.front());
    return it == m_entries.end() ? nullptr : &it->second;
}

void CommandMap::exec(const slate::usubstring& line)
{
    std::vector<ustring> words;
    CommandArguments arguments;
    const Entry* entry = find(line, words, arguments);
    if (!entry || !entry->exec || (entry->enabled && !entry->enabled(arguments)))
        return;
    // The handler may re-register or remove its own command; it runs from a
    // copy so that the entry's callable is not destroyed while it runs.
    ExecFunction exec = entry->exec;
    exec(arguments);
}

bool CommandMap::isEnabled(const slate::usubstring& line)
{
    std::vector<ustring> words;
    CommandArguments arguments;
    const Entry* entry = find(line, words, arguments);
    if (!entry)
        return false;
    return !entry->enabled || entry->enabled(arguments);
}

ustring CommandMap::value(const slate::usubstring& line)
{
    std::vector<ustring> words;
    CommandArguments arguments;
    const Entry* entry = find(line, words, arguments);
    if (!entry)
        return ustring();
    if (entry->value)
        return entry->value(arguments);
    if (entry->checked)
        return entry->checked(arguments) ? u"true" : u"false";
    return ustring();
}

bool CommandMap::has(const slate::usubstring& line)
{
    std::vector<ustring> words;
    CommandArguments arguments;
    return find(line, words, arguments) != nullptr;
}
