#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include <tinyxml.h>

#include "ui/options.h"
#include "ui/unicode.h"
#include "ui/xml_settings.h"

namespace {

std::string printed(const TiXmlNode& node)
{
    TiXmlPrinter printer;
    printer.SetStreamPrinting();
    node.Accept(&printer);
    return printer.Str();
}

// Writes through `write` under a root element, prints the document and parses
// the text again as the session reader does.
template <typename Write>
std::string writeAndReparse(Write write, TiXmlDocument& reparsed)
{
    TiXmlDocument document;
    auto* root = new TiXmlElement("settings");
    document.LinkEndChild(root);
    write(root);
    const std::string text = printed(document);
    EXPECT_TRUE(parseXmlDocument(reparsed, text, true)) << reparsed.ErrorDesc();
    return text;
}

TEST(XmlSettings, WritersChooseCdataOrEscapedText)
{
    TiXmlElement root("settings");
    addXmlTextElement(&root, "text", u"a < b & c");
    addXmlTextElement(&root, "closer", u"x]]>y");
    addXmlElement(&root, "plain", u"a < b");
    addXmlElement(&root, "int", -42);
    addXmlElement(&root, "double", 0.5);
    addXmlElement(&root, "small", -0.0000004);

    EXPECT_EQ("<settings><text><![CDATA[a < b & c]]></text><closer>x]]&gt;y</closer>"
              "<plain>a &lt; b</plain><int>-42</int><double>0.500000</double>"
              "<small>-0.000000</small></settings>",
              printed(root));
}

TEST(XmlSettings, TextValuesReadBackUnchanged)
{
    struct Case {
        const char* name;
        ustring value;
    };
    const Case cases[] = {
        {"plain", u"hello"},
        {"CDATA terminator", u"a]]>b]]>"},
        {"markup characters", u"<tag attr=\"v\"> & 'q'"},
        {"surrounding white space", u"  two  spaces\tand a tab\n"},
        {"line breaks", u"line one\nline two\n\nline four"},
        {"carriage returns", u"crlf\r\nlone\rend\r"},
        {"NUL", ustring(u"a\0b", 3)},
        {"non-BMP", u"caf\u00e9 \U0001F600"},
        {"empty", u""},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        TiXmlDocument reparsed;
        writeAndReparse(
            [&](TiXmlNode* root) {
                addXmlTextElement(root, "text", row.value);
                addXmlElement(root, "escaped", row.value);
            },
            reparsed);
        EXPECT_EQ(row.value, xmlElementText(reparsed.RootElement(), "text"));
        EXPECT_EQ(row.value, xmlElementText(reparsed.RootElement(), "escaped"));
    }
}

// A value with a stray surrogate (text cut in the middle of a pair, or from
// a plug-in) keeps the rest of its text, the surrogate read back as U+FFFD.
TEST(XmlSettings, UnpairedSurrogatesKeepTheRestOfTheText)
{
    const ustring value = ustring(u"before ") + uchar(0xD83D) + u" after " + uchar(0xDE00);
    const ustring expected = u"before � after �";
    TiXmlDocument reparsed;
    writeAndReparse(
        [&](TiXmlNode* root) {
            addXmlTextElement(root, "text", value);
            addXmlElement(root, "escaped", value);
        },
        reparsed);
    EXPECT_EQ(expected, xmlElementText(reparsed.RootElement(), "text"));
    EXPECT_EQ(expected, xmlElementText(reparsed.RootElement(), "escaped"));
}

TEST(XmlSettings, NumbersReadBack)
{
    TiXmlDocument reparsed;
    writeAndReparse(
        [](TiXmlNode* root) {
            addXmlElement(root, "int", -2147483647 - 1);
            addXmlElement(root, "double", 1234.25);
        },
        reparsed);
    const TiXmlElement* root = reparsed.RootElement();
    EXPECT_EQ(-2147483647 - 1, xmlElementInt(root, "int"));
    EXPECT_DOUBLE_EQ(1234.25, xmlElementDouble(root, "double"));
}

TEST(XmlSettings, MissingOrUnreadableElementsReadAsDefaults)
{
    TiXmlDocument document;
    ASSERT_TRUE(parseXmlDocument(document,
                                 "<s><nested><x>1</x></nested><word>abc</word><bad>\xff\xfe</bad>"
                                 "<twice>first</twice><twice>second</twice><number>12abc</number>"
                                 "<empty/></s>",
                                 true));
    const TiXmlElement* root = document.RootElement();

    struct Case {
        const char* name;
        ustring text;
        int number;
    };
    const Case cases[] = {
        {"absent", u"", 0},
        {"nested", u"", 0}, // its first child is an element
        {"word", u"abc", 0},
        {"bad", u"", 0}, // not UTF-8
        {"twice", u"first", 0},
        {"number", u"12abc", 12},
        {"empty", u"", 0},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.text, xmlElementText(root, row.name));
        EXPECT_EQ(row.number, xmlElementInt(root, row.name));
    }
    EXPECT_EQ(0.0, xmlElementDouble(root, "absent"));
    EXPECT_EQ(u"", xmlElementText(nullptr, "word"));
}

TEST(XmlSettings, OptionsReadBackWithCommentsAndOrder)
{
    slate::SP<Options> options(new Options);
    options->parse(u"# comment ]]> inside\ntab_size 4\n\nfont_face  Consolas \nempty");
    TiXmlDocument reparsed;
    writeAndReparse([&](TiXmlNode* root) { addXmlOptionsElement(root, "options", options); }, reparsed);

    slate::SP<Options> read = xmlElementOptions(reparsed.RootElement(), "options");
    ASSERT_TRUE(read);
    EXPECT_EQ(options->serialise(), read->serialise());
    ustring face;
    EXPECT_TRUE(read->getString(u"font_face", face));
    EXPECT_EQ(u"Consolas ", face);

    slate::SP<Options> absent = xmlElementOptions(reparsed.RootElement(), "missing");
    ASSERT_TRUE(absent);
    EXPECT_EQ(u"", absent->serialise());
}

TEST(XmlSettings, ParsingChoosesWhiteSpaceHandlingAndRestoresTheDefault)
{
    const std::string text = "<r>  a\r\n  b  </r>";
    TiXmlDocument kept;
    ASSERT_TRUE(parseXmlDocument(kept, text, true));
    EXPECT_STREQ("  a\n  b  ", kept.RootElement()->GetText());
    EXPECT_TRUE(TiXmlBase::IsWhiteSpaceCondensed());

    TiXmlDocument condensed;
    ASSERT_TRUE(parseXmlDocument(condensed, text, false));
    EXPECT_STREQ("a b", condensed.RootElement()->GetText());

    TiXmlDocument broken;
    EXPECT_FALSE(parseXmlDocument(broken, "<r><s></r>", true));
    EXPECT_TRUE(broken.Error());
    // A document object can be reused after an error.
    EXPECT_TRUE(parseXmlDocument(broken, "<r/>", true));
}

// TinyXML's white-space switch is global; parses on two threads must not see
// each other's setting.
TEST(XmlSettings, ConcurrentParsesKeepTheirOwnWhiteSpaceSetting)
{
    const std::string text = "<r>  a   b  </r>";
    std::atomic<int> wrong{0};
    auto parseMany = [&](bool keep, const char* expected) {
        for (int i = 0; i < 2000; ++i) {
            TiXmlDocument document;
            if (!parseXmlDocument(document, text, keep) ||
                std::string(document.RootElement()->GetText()) != expected)
                ++wrong;
        }
    };
    std::thread keeping(parseMany, true, "  a   b  ");
    std::thread condensing(parseMany, false, "a b");
    keeping.join();
    condensing.join();
    EXPECT_EQ(0, wrong.load());
}

std::string repeated(const std::string& text, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += text;
    return out;
}

// Every way of opening markup that TinyXML reads differently from a plain
// scan for "?>" or for quotes must still have its nesting counted.
TEST(XmlSettings, NestingBeyondTheLimitIsRefusedHoweverItIsIntroduced)
{
    const std::string deep = repeated("<a>", kMaximumXmlDepth + 1);
    const char* prefixes[] = {
        "",
        "<?x>",
        "<?xml version=\"1.0\"?>",
        "<?xml version=\"1>0<!--\"?>",
        "<!DOCTYPE x>",
        "<1 \"x>",
        "<!-- -->",
    };
    for (const char* prefix : prefixes) {
        SCOPED_TRACE(prefix);
        TiXmlDocument document;
        std::string error;
        EXPECT_FALSE(parseXmlDocument(document, prefix + deep + "\"-->", true, &error));
        EXPECT_TRUE(document.Error());
        EXPECT_NE(std::string::npos, error.find("nested")) << error;
    }

    TiXmlDocument document;
    const std::string limit = repeated("<a>", kMaximumXmlDepth) + repeated("</a>", kMaximumXmlDepth);
    EXPECT_TRUE(parseXmlDocument(document, "<?x>" + limit, true)) << document.ErrorDesc();
}

// Bytes that are not UTF-8 become FF, which TinyXML steps over alone, so no
// lead byte carries it past the end; such text still reads as not UTF-8.
TEST(XmlSettings, BytesThatAreNotUtf8AreNeutralisedAndNulIsRefused)
{
    struct Case {
        const char* name;
        std::string input;
        const char* text; // the root's text; null: refused
    };
    const Case cases[] = {
        {"lead byte at the end of the text", std::string("<r>a\xE2</r>"), "a\xFF"},
        {"lead byte before the terminator", std::string("<r>a</r>\xF0\x9F"), "a"},
        {"ED swallowing a letter", std::string("<r>\xED" "A\x80</r>"), "\xFF" "A\xFF"},
        {"Latin-1 byte", std::string("<r>caf\xE9</r>"), "caf\xFF"},
        {"well-formed text unchanged", std::string("<r>h\xC3\xA9</r>"), "h\xC3\xA9"},
        {"embedded NUL", std::string("<r>a\0b</r>", 9), nullptr},
        {"trailing NUL", std::string("<r/>\0", 5), nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TiXmlDocument document;
        std::string error;
        const bool parsed = parseXmlDocument(document, c.input, true, &error);
        if (!c.text) {
            EXPECT_FALSE(parsed);
            EXPECT_NE(std::string::npos, error.find("NUL")) << error;
            continue;
        }
        ASSERT_TRUE(parsed) << error;
        ASSERT_NE(nullptr, document.RootElement()->GetText());
        EXPECT_EQ(std::string(c.text), document.RootElement()->GetText());
    }
}

TEST(XmlSettings, ParseErrorsGiveTheirPlace)
{
    TiXmlDocument document;
    std::string error;
    EXPECT_FALSE(parseXmlDocument(document, std::string("<r>\n<s></r>"), true, &error));
    EXPECT_NE(std::string::npos, error.find("(line 2, column ")) << error;
}

} // namespace
