// The checked-in grammars (tests/data/grammars) and colour schemes
// (tests/data/themes), the one way tests and benchmarks find and load them.
#pragma once

#include <filesystem>
#include <vector>

#include "support/scratch_folder.h"
#include "ui/text/lexer/loaded_context.h"
#include "ui/ustring.h"

class SyntaxLoader;

namespace test_support {

// The paths of the checked-in grammar files, sorted.
std::vector<std::filesystem::path> fixtureGrammarFiles();
// The paths of the checked-in colour schemes, sorted.
std::vector<std::filesystem::path> fixtureThemeFiles();

// A copy of the checked-in grammars in a scratch folder, so that the
// property-list caches a loader writes never land in the source tree, with
// the map from scope name to grammar path that resolves includes between
// them.
class GrammarFolder {
public:
    GrammarFolder();
    GrammarFolder(const GrammarFolder&) = delete;
    GrammarFolder& operator=(const GrammarFolder&) = delete;

    const LanguageMap& languages() const { return m_languages; }
    // The grammar path of `scopeName`, empty when no grammar has it.
    ustring pathOf(const ustring& scopeName) const;
    // Makes `loader` resolve includes through this folder.
    void attach(SyntaxLoader& loader) const;

private:
    ScratchFolder m_folder;
    LanguageMap m_languages;
};

} // namespace test_support
