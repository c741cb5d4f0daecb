#include "ui/text/syntax/scope_styler.h"

#include <string>

#include <gtest/gtest.h>

#include "canvas/util/colour.h"
#include "ui/text/package_test_support.h"

using slate::SP;

namespace {

class ScopeStylerTest : public testing::Test {
protected:
    void SetUp() override
    {
        m_packages.add(u"Test.tmTheme",
                       package_test::plist(
                           "<dict><key>settings</key><array>"
                           "<dict><key>settings</key>" +
                           package_test::stringDict({{"background", "#101010"}, {"caret", "#FFFFFF"}}) +
                           "</dict><dict><key>scope</key><string>string</string><key>settings</key>" +
                           package_test::stringDict({{"foreground", "#00FF00"}}) +
                           "</dict><dict><key>scope</key><string>comment</string><key>settings</key>" +
                           package_test::stringDict({{"foreground", "#0000FF"}}) + "</dict></array></dict>"));
        m_scheme = new RegexSelectorStyler;
        m_scheme->loadFromFile(u"Packages/Test.tmTheme");
    }

    static float green(const Style* style) { return style->foreground[1]; }
    static float blue(const Style* style) { return style->foreground[2]; }

    package_test::MemoryPackages m_packages;
    SP<RegexSelectorStyler> m_scheme;
};

TEST_F(ScopeStylerTest, SameScopeGivesTheSameStyleAsTheScheme)
{
    package_test::Scopes scopes;
    SP<ScopeStyler> styler(new ScopeStyler(m_scheme));
    const ScopeRecord* string = scopes(u"string.quoted source.js ");
    const Style* first = styler->styleForScope(string);
    EXPECT_EQ(1.0f, green(first));
    EXPECT_EQ(first, styler->styleForScope(string));
    EXPECT_EQ(first, m_scheme->styleForScope(string));
    EXPECT_EQ(m_scheme->styleForScope(nullptr), styler->styleForScope(nullptr));
    EXPECT_EQ(&m_scheme->colours(), &styler->colours());
}

// Scope ids of two syntaxes overlap: the cache answers by id until cleared.
TEST_F(ScopeStylerTest, ClearCacheForgetsStylesOfAnotherSyntax)
{
    package_test::Scopes firstSyntax;
    package_test::Scopes secondSyntax;
    const ScopeRecord* string = firstSyntax(u"string.quoted source.js ");
    const ScopeRecord* comment = secondSyntax(u"comment.line source.python ");
    ASSERT_EQ(string->id, comment->id);

    SP<ScopeStyler> styler(new ScopeStyler(m_scheme));
    const Style* stringStyle = styler->styleForScope(string);
    EXPECT_EQ(stringStyle, styler->styleForScope(comment));
    styler->clearCache();
    const Style* commentStyle = styler->styleForScope(comment);
    EXPECT_EQ(1.0f, blue(commentStyle));
    // The scheme still holds the first style.
    EXPECT_EQ(1.0f, green(stringStyle));
}

TEST_F(ScopeStylerTest, KeepsItsSchemeAlive)
{
    package_test::Scopes scopes;
    SP<ScopeStyler> styler(new ScopeStyler(m_scheme));
    const ScopeRecord* later = scopes(u"a b c d e f g ");
    m_scheme.reset();
    EXPECT_EQ(1, styler->regexStyler()->referenceCount());
    EXPECT_EQ(1.0f, green(styler->styleForScope(scopes(u"string source "))));
    EXPECT_EQ(0.0f, green(styler->styleForScope(later)));
}

} // namespace
