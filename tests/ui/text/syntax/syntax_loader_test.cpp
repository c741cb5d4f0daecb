#include "ui/text/syntax/syntax_loader.h"

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/lexer/lexer.h"
#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

const ustring kPhp = u"Packages/PHP/PHP.tmLanguage";
const ustring kHtml = u"Packages/HTML/HTML.tmLanguage";

// A grammar file with the given "name" and scope name whose top level is
// the rules in `patterns` (XML dictionaries).
std::string grammarFile(const std::string& name, const std::string& scopeName,
                        const std::string& patterns = "")
{
    return package_test::plist("<dict><key>name</key><string>" + name +
                               "</string><key>scopeName</key><string>" + scopeName +
                               "</string><key>patterns</key><array>" + patterns +
                               "</array></dict>");
}

std::string matchRule(const std::string& pattern, const std::string& name)
{
    return "<dict><key>match</key><string>" + pattern + "</string><key>name</key><string>" +
           name + "</string></dict>";
}

// The scope text of the first token of `line` lexed from the root of
// `syntax`, without its trailing blank.
std::string firstScope(const Syntax& syntax, const std::u16string& line)
{
    ScopedLock lock(syntax.lexerLock());
    MatchRegion region;
    std::vector<LexedToken> tokens;
    lex(region, syntax.lexer()->root(), line.data(), line.data() + line.size(), tokens);
    if (tokens.empty())
        return "";
    std::string scope = toUtf8(tokens.front().scope->text);
    scope.pop_back();
    return scope;
}

// Grammar files under "Packages/", added by their whole virtual path.
class GrammarPackages {
public:
    void add(const ustring& path, const std::string& bytes)
    {
        m_files.add(path.substr(ustring(u"Packages/").size()), bytes);
    }

private:
    package_test::MemoryPackages m_files;
};

class SyntaxLoaderTest : public testing::Test {
protected:
    SyntaxLoaderTest()
    {
        packages.add(kHtml, grammarFile("HTML", "text.html.basic", matchRule("&lt;", "tag")));
        packages.add(u"Packages/X/X.tmLanguage", grammarFile("Ex", "source.x"));
    }

    package_test::ReportedErrors errors;
    GrammarPackages packages;
};

TEST_F(SyntaxLoaderTest, PhpIsReadFromTheHtmlGrammarAndKeepsItsOwnEntry)
{
    SyntaxLoader loader;
    slate::SP<Syntax> php = loader.loadSyntax(kPhp);
    slate::SP<Syntax> html = loader.loadSyntax(kHtml);
    EXPECT_EQ(php->name(), u"PHP");
    EXPECT_EQ(php->path(), kPhp);
    EXPECT_EQ(html->name(), u"HTML");
    EXPECT_EQ(html->path(), kHtml);
    EXPECT_NE(php.get(), html.get());
    // Read and compiled once: both lex with one lexer under one lock.
    EXPECT_EQ(php->lexer(), html->lexer());
    EXPECT_EQ(&php->lexerLock(), &html->lexerLock());
    EXPECT_EQ(firstScope(*php, u"<"), "tag text.html.basic");

    EXPECT_EQ(loader.loadSyntax(kPhp).get(), php.get());
    EXPECT_EQ(loader.loadSyntax(kHtml).get(), html.get());
    EXPECT_EQ(errors.take(), std::vector<std::string>());
}

TEST_F(SyntaxLoaderTest, HtmlLoadedFirstDoesNotNameThePhpSyntax)
{
    SyntaxLoader loader;
    slate::SP<Syntax> html = loader.loadSyntax(kHtml);
    slate::SP<Syntax> php = loader.loadSyntax(kPhp);
    EXPECT_EQ(html->name(), u"HTML");
    EXPECT_EQ(php->name(), u"PHP");
    EXPECT_EQ(php->lexer(), html->lexer());
}

TEST_F(SyntaxLoaderTest, PhpPathInAnotherCaseIsReadAsItself)
{
    SyntaxLoader loader;
    const ustring other = u"Packages/php/PHP.tmLanguage";
    slate::SP<Syntax> syntax = loader.loadSyntax(other);
    EXPECT_EQ(syntax.get(), loader.defaultSyntax().get());
    const std::vector<std::string> reported = errors.take();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].rfind("Error loading syntax file Packages/php/PHP.tmLanguage: ", 0), 0u)
        << reported[0];
}

TEST_F(SyntaxLoaderTest, EmptyNameGivesTheFileStem)
{
    packages.add(u"Packages/Y/Bar Baz.tmLanguage", grammarFile("", "source.y"));
    SyntaxLoader loader;
    slate::SP<Syntax> syntax = loader.loadSyntax(u"Packages/Y/Bar Baz.tmLanguage");
    EXPECT_EQ(syntax->name(), u"Bar Baz");
    EXPECT_EQ(syntax->path(), u"Packages/Y/Bar Baz.tmLanguage");
}

TEST_F(SyntaxLoaderTest, BrokenGrammarIsReportedFallsBackAndIsReadAgainNextTime)
{
    const ustring path = u"Packages/Bad/Bad.tmLanguage";
    packages.add(path, package_test::plist("<dict><key>scopeName</key><string>source.bad"
                                           "</string></dict>"));
    SyntaxLoader loader;
    EXPECT_EQ(loader.loadSyntax(path).get(), loader.defaultSyntax().get());
    EXPECT_EQ(errors.take(), std::vector<std::string>{
                                 "Error loading syntax file Packages/Bad/Bad.tmLanguage: "
                                 "Expected key name"});

    packages.add(path, grammarFile("Fixed", "source.bad"));
    slate::SP<Syntax> fixed = loader.loadSyntax(path);
    EXPECT_EQ(fixed->name(), u"Fixed");
    EXPECT_TRUE(errors.take().empty());
}

TEST_F(SyntaxLoaderTest, BadPatternIsReportedWithTheEngineMessage)
{
    const ustring path = u"Packages/Bad/Regex.tmLanguage";
    packages.add(path, grammarFile("R", "source.r", matchRule("(", "open")));
    SyntaxLoader loader;
    EXPECT_EQ(loader.loadSyntax(path).get(), loader.defaultSyntax().get());
    const std::vector<std::string> reported = errors.take();
    ASSERT_EQ(reported.size(), 1u);
    EXPECT_EQ(reported[0].rfind("Error loading syntax file Packages/Bad/Regex.tmLanguage: "
                                "Error in regex: ",
                                0),
              0u)
        << reported[0];
    EXPECT_NE(reported[0].find(" in regex ("), std::string::npos) << reported[0];
}

TEST_F(SyntaxLoaderTest, GrammarWithoutContextsGivesTheDefaultAndIsNotCached)
{
    SyntaxLoader loader;
    int loads = 0;
    loader.setContextLoader(
        [&loads](const Grammar&, const LanguageMap&, LoadedContextSet&, GrammarCache&) { ++loads; });
    const ustring path = u"Packages/X/X.tmLanguage";
    EXPECT_EQ(loader.loadSyntax(path).get(), loader.defaultSyntax().get());
    EXPECT_EQ(loader.loadSyntax(path).get(), loader.defaultSyntax().get());
    EXPECT_EQ(loads, 2);
    EXPECT_TRUE(errors.take().empty());
}

TEST_F(SyntaxLoaderTest, DefaultSyntaxIsOnePlainTextObject)
{
    SyntaxLoader loader;
    slate::SP<Syntax> first = loader.defaultSyntax();
    EXPECT_EQ(loader.defaultSyntax().get(), first.get());
    EXPECT_TRUE(first->path().empty());
    EXPECT_TRUE(first->name().empty());
    EXPECT_EQ(firstScope(*first, u"any text"), "text.plain");
}

TEST_F(SyntaxLoaderTest, IncludesOfOtherLanguagesResolveThroughTheLanguageMap)
{
    packages.add(u"Packages/A/A.tmLanguage",
                 grammarFile("A", "source.a",
                             "<dict><key>include</key><string>source.b</string></dict>"));
    packages.add(u"Packages/B/B.tmLanguage", grammarFile("B", "source.b", matchRule("b", "bee")));
    SyntaxLoader loader;
    loader.setLanguageMapSource([] {
        LanguageMap languages;
        languages[u"source.b"] = u"Packages/B/B.tmLanguage";
        return languages;
    });
    slate::SP<Syntax> syntax = loader.loadSyntax(u"Packages/A/A.tmLanguage");
    EXPECT_EQ(firstScope(*syntax, u"b"), "bee source.a");
}

TEST_F(SyntaxLoaderTest, SyntaxOutlivesTheSingleton)
{
    SyntaxLoader::create();
    ASSERT_TRUE(SyntaxLoader::alive());
    slate::SP<Syntax> syntax = SyntaxLoader::get().loadSyntax(u"Packages/X/X.tmLanguage");
    SyntaxLoader::destroy();
    EXPECT_FALSE(SyntaxLoader::alive());
    EXPECT_EQ(syntax->name(), u"Ex");
    EXPECT_EQ(firstScope(*syntax, u"x"), "source.x");
}

} // namespace
