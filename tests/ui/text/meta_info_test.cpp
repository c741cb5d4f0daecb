#include "ui/text/meta_info.h"

#include <any>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

using package_test::KeyValues;

namespace {

const char kIndent[] = "increaseIndentPattern";

std::string preferences(const std::string& scope, const KeyValues& settings)
{
    return package_test::plist("<dict><key>name</key><string>Test</string><key>scope</key><string>" +
                               scope + "</string><key>settings</key>" +
                               package_test::stringDict(settings) + "</dict>");
}

class MetaInfoTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (MetaInfo::alive())
            MetaInfo::destroy();
    }

    // The text of the setting `name` for `scope`, "<none>" when there is none.
    std::string lookup(const char* name, const char16_t* scope)
    {
        const PlistValue* value = MetaInfo::get().lookup(toUstring(name), scope ? m_scopes(scope) : nullptr);
        if (!value)
            return "<none>";
        const ustring* text = std::any_cast<ustring>(value);
        return text ? toUtf8(*text) : "<not a string>";
    }

    package_test::ReportedErrors m_errors;
    package_test::MemoryPackages m_packages;
    package_test::Scopes m_scopes;
};

TEST_F(MetaInfoTest, BestMatchingSelectorWins)
{
    m_packages.add(u"Base/Source.tmPreferences", preferences("source", {{kIndent, "source"}}));
    m_packages.add(u"Python/Python.tmPreferences", preferences("source.python", {{kIndent, "python"}}));
    m_packages.add(u"Base/String.tmPreferences", preferences("string", {{kIndent, "string"}}));
    m_packages.add(u"Base/Comment.tmPreferences",
                   preferences("source comment", {{"shellVariables", "comment"}}));
    MetaInfo::create();

    struct Case {
        const char* name;
        const char16_t* scope;
        const char* expected;
    } cases[] = {
        // Same start in the scope text: the longer match wins.
        {kIndent, u"keyword.control source.python ", "python"},
        {kIndent, u"source.js ", "source"},
        // A match at a deeper scope starts earlier and wins.
        {kIndent, u"string.quoted.double source.python ", "string"},
        {kIndent, u"text.plain ", "<none>"},
        {kIndent, nullptr, "<none>"},
        {"shellVariables", u"comment.line source.js ", "comment"},
        {"shellVariables", u"string source.js ", "<none>"},
        {"unknownSetting", u"source.js ", "<none>"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(std::string(row.name) + " for " + (row.scope ? toUtf8(ustring(row.scope)) : "null"));
        EXPECT_EQ(row.expected, lookup(row.name, row.scope));
    }
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(MetaInfoTest, EqualSelectorsGoByPathOrder)
{
    // Added in the opposite order to their paths.
    m_packages.add(u"Beta/Indent.tmPreferences", preferences("source", {{kIndent, "beta"}}));
    m_packages.add(u"Alpha/Sub/Indent.tmPreferences", preferences("source", {{kIndent, "alpha"}}));
    MetaInfo::create();
    EXPECT_EQ("alpha", lookup(kIndent, u"source.js "));

    // Entries are kept in the same order, each with its whole settings.
    const std::vector<MetaInfo::Entry>& entries = MetaInfo::get().entries();
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(u"alpha", std::any_cast<ustring>(entries[0].settingsDict.at(toUstring(kIndent))));
    EXPECT_EQ(u"beta", std::any_cast<ustring>(entries[1].settingsDict.at(toUstring(kIndent))));
}

TEST_F(MetaInfoTest, MalformedFilesAreReportedAndSkipped)
{
    const std::string wrongType = "boost::bad_any_cast: failed conversion using boost::any_cast";
    m_packages.add(u"A/Good.tmPreferences", preferences("source", {{kIndent, "good"}}));
    m_packages.add(u"B/NoScope.tmPreferences", package_test::plist("<dict></dict>"));
    m_packages.add(u"C/NoSettings.tmPreferences",
                   package_test::plist("<dict><key>scope</key><string>source</string></dict>"));
    m_packages.add(u"D/RootArray.tmPreferences", package_test::plist("<array></array>"));
    m_packages.add(u"E/ScopeNumber.tmPreferences",
                   package_test::plist("<dict><key>scope</key><integer>1</integer>"
                                       "<key>settings</key><dict></dict></dict>"));
    m_packages.add(u"F/SettingsText.tmPreferences",
                   package_test::plist("<dict><key>scope</key><string>source</string>"
                                       "<key>settings</key><string>x</string></dict>"));
    m_packages.add(u"G/NotXml.tmPreferences", "<plist><dict>");
    MetaInfo::create();

    const std::string prefix = "Error loading meta info from Packages/";
    const std::vector<std::string> errors = m_errors.take();
    ASSERT_EQ(6u, errors.size());
    // The scope is read first: a file that lacks both is reported for it.
    EXPECT_EQ(prefix + "B/NoScope.tmPreferences: Expected key scope", errors[0]);
    EXPECT_EQ(prefix + "C/NoSettings.tmPreferences: No settings key", errors[1]);
    EXPECT_EQ(prefix + "D/RootArray.tmPreferences: " + wrongType, errors[2]);
    EXPECT_EQ(prefix + "E/ScopeNumber.tmPreferences: " + wrongType, errors[3]);
    EXPECT_EQ(prefix + "F/SettingsText.tmPreferences: " + wrongType, errors[4]);
    EXPECT_EQ(0u, errors[5].find(prefix + "G/NotXml.tmPreferences: "));

    // The broken files added nothing.
    EXPECT_EQ(1u, MetaInfo::get().entries().size());
    EXPECT_EQ("good", lookup(kIndent, u"source.js "));
}

TEST_F(MetaInfoTest, EmptySettingsStillMakeAnEntry)
{
    m_packages.add(u"Empty.tmPreferences", preferences("source", {}));
    MetaInfo::create();
    ASSERT_EQ(1u, MetaInfo::get().entries().size());
    EXPECT_TRUE(MetaInfo::get().entries()[0].settingsDict.empty());
    EXPECT_EQ("<none>", lookup(kIndent, u"source.js "));
    EXPECT_TRUE(m_errors.take().empty());
}

TEST_F(MetaInfoTest, ChangedFilesReloadEverything)
{
    m_packages.add(u"Lang/Indent.tmPreferences",
                   preferences("source", {{kIndent, "first"}, {"decreaseIndentPattern", "gone"}}));
    MetaInfo::create();
    EXPECT_EQ("first", lookup(kIndent, u"source.js "));

    m_packages.change(u"Lang/Indent.tmPreferences", preferences("source", {{kIndent, "second"}}));
    EXPECT_EQ("second", lookup(kIndent, u"source.js "));
    EXPECT_EQ("<none>", lookup("decreaseIndentPattern", u"source.js "));

    m_packages.change(u"Other/String.tmPreferences", preferences("string", {{kIndent, "string"}}),
                      FileChangeAdded);
    EXPECT_EQ("string", lookup(kIndent, u"string source.js "));
    EXPECT_EQ(2u, MetaInfo::get().entries().size());

    m_packages.change(u"Lang/Indent.tmPreferences", "", FileChangeRemoved);
    EXPECT_EQ("<none>", lookup(kIndent, u"source.js "));
    EXPECT_EQ(1u, MetaInfo::get().entries().size());
}

TEST_F(MetaInfoTest, WithoutFilesEveryLookupIsNull)
{
    m_packages.add(u"Readme.txt", "not a preference");
    MetaInfo::create();
    EXPECT_TRUE(MetaInfo::get().entries().empty());
    EXPECT_EQ("<none>", lookup(kIndent, u"source.js "));
}

} // namespace
