#include "support/fixture_grammars.h"

#include <algorithm>

#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/unicode.h"

namespace fs = std::filesystem;

namespace test_support {

namespace {

std::vector<fs::path> dataFiles(const char* folder, const char* extension)
{
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(dataPath(folder)))
        if (entry.path().extension() == extension)
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::vector<fs::path> fixtureGrammarFiles() { return dataFiles("grammars", ".tmLanguage"); }

std::vector<fs::path> fixtureThemeFiles() { return dataFiles("themes", ".tmTheme"); }

GrammarFolder::GrammarFolder() : m_folder("vantrel-grammars")
{
    for (const fs::path& source : fixtureGrammarFiles()) {
        const fs::path copy = m_folder / source.filename();
        fs::copy_file(source, copy);
        fs::permissions(copy, fs::perms::owner_read | fs::perms::owner_write);
        const ustring path = toUstring(copy.string());
        try {
            PlistValue value;
            loadPlist(path, value, false);
            Grammar grammar;
            parseTextMateGrammar(value, grammar, true);
            if (!grammar.scopeName.empty())
                m_languages[grammar.scopeName] = path;
        } catch (const ParseException&) {
            // Left out of the map; whoever needs it fails on its own.
        }
    }
}

ustring GrammarFolder::pathOf(const ustring& scopeName) const
{
    auto found = m_languages.find(scopeName);
    return found == m_languages.end() ? ustring() : found->second;
}

void GrammarFolder::attach(SyntaxLoader& loader) const
{
    LanguageMap languages = m_languages;
    loader.setLanguageMapSource([languages] { return languages; });
}

} // namespace test_support
