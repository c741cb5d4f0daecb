// The lexing fixtures: real grammars and sample files from
// VANTREL_TEST_DATA_DIR, for the reference comparison and the benchmarks.
// The grammars are copied to a scratch folder first, so that the
// property-list caches the loader writes never land in the source tree.
#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "ui/text/lexer/lexer.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/text/lexer/plist.h"
#include "ui/text/lexer/text_mate_grammar.h"
#include "ui/text/parse_exception.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/unicode.h"

namespace lexing_fixtures {

// A copy of the fixture grammars in a fresh temporary folder (removed on
// destruction), with the map from scope name to grammar path that resolves
// includes between them.
class GrammarFolder {
public:
    explicit GrammarFolder(const std::filesystem::path& source)
    {
        static int s_counter = 0;
        m_folder = std::filesystem::temp_directory_path() /
                   ("vantrel-lexing-" + std::to_string(::getpid()) + "-" +
                    std::to_string(s_counter++));
        std::filesystem::create_directories(m_folder);
        for (const auto& entry : std::filesystem::directory_iterator(source)) {
            if (entry.path().extension() != ".tmLanguage")
                continue;
            const std::filesystem::path copy = m_folder / entry.path().filename();
            std::filesystem::copy_file(entry.path(), copy);
            std::filesystem::permissions(copy, std::filesystem::perms::owner_read |
                                                   std::filesystem::perms::owner_write);
            const ustring path = toUstring(copy.string());
            try {
                PlistValue value;
                loadPlist(path, value, false);
                Grammar grammar;
                parseTextMateGrammar(value, grammar, true);
                if (!grammar.scopeName.empty())
                    m_languages[grammar.scopeName] = path;
            } catch (const ParseException&) {
                // Left out of the map; a test that needs it fails on its own.
            }
        }
    }
    ~GrammarFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    GrammarFolder(const GrammarFolder&) = delete;
    GrammarFolder& operator=(const GrammarFolder&) = delete;

    const LanguageMap& languages() const { return m_languages; }
    // The grammar path of `scopeName`, empty when no grammar has it.
    ustring pathOf(const ustring& scopeName) const
    {
        auto found = m_languages.find(scopeName);
        return found == m_languages.end() ? ustring() : found->second;
    }

    // A loader that resolves includes through this folder.
    void attach(SyntaxLoader& loader) const
    {
        LanguageMap languages = m_languages;
        loader.setLanguageMapSource([languages] { return languages; });
    }

private:
    std::filesystem::path m_folder;
    LanguageMap m_languages;
};

inline std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text split into lines, each with its line feed (the last one may have
// none).
inline std::vector<ustring> splitLines(const ustring& text)
{
    std::vector<ustring> lines;
    size_t begin = 0;
    while (begin < text.size()) {
        size_t end = text.find(u'\n', begin);
        end = end == ustring::npos ? text.size() : end + 1;
        lines.push_back(text.substr(begin, end - begin));
        begin = end;
    }
    return lines;
}

} // namespace lexing_fixtures
