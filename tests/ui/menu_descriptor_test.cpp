#include "ui/menu_descriptor.h"

#include <gtest/gtest.h>

#include <string>

#include "ui/text/package_test_support.h"
#include "ui/unicode.h"

namespace {

// The menu as one line: items "caption=command", separators "-", submenus
// "caption[...]", dynamic submenus "caption{key}", entries joined by "|".
std::string dump(const MenuDescriptor& menu)
{
    std::string out;
    for (const MenuEntry& entry : menu.m_entries) {
        if (!out.empty())
            out += "|";
        if (entry.m_item) {
            if (entry.m_item->m_caption == u"-" && entry.m_item->m_command.empty())
                out += "-";
            else
                out += toUtf8(entry.m_item->m_caption) + "=" + toUtf8(entry.m_item->m_command);
        } else if (!entry.m_submenu->m_dynamicKey.empty()) {
            out += toUtf8(entry.m_submenu->m_caption) + "{" + toUtf8(entry.m_submenu->m_dynamicKey) + "}";
        } else {
            out += toUtf8(entry.m_submenu->m_caption) + "[" + dump(*entry.m_submenu) + "]";
        }
    }
    return out;
}

std::string repeated(const std::string& item, int count)
{
    std::string out;
    for (int i = 0; i < count; ++i)
        out += (i ? "|" : "") + item;
    return out;
}

class MenuFileTest : public testing::Test {
protected:
    // Loads `xml` from a package file into `menu`; the error text when it
    // failed, "" when it loaded.
    std::string load(const std::string& xml, MenuDescriptor& menu)
    {
        m_packages.add(u"Default/Test.vantrel-menu", xml);
        ustring error;
        const bool loaded = menu.load(u"Packages/Default/Test.vantrel-menu", error);
        EXPECT_EQ(loaded, error.empty());
        return toUtf8(error);
    }

    package_test::MemoryPackages m_packages;
};

} // namespace

TEST_F(MenuFileTest, ReadsElementsInOrderUnderAnyRoot)
{
    struct Case {
        const char* name;
        std::string xml;
        std::string menu;
    };
    const Case cases[] = {
        {"any root name",
         "<whatever><item caption='Open' command='open'/><separator/></whatever>", "Open=open|-"},
        {"names without regard to case",
         "<m><ITEM caption='A' command='a'/><Separator/><MeNu caption='Sub'><item caption='B' command='b'/></MeNu>"
         "<DYNAMICMENU caption='Recent' key='recent'/></m>",
         "A=a|-|Sub[B=b]|Recent{recent}"},
        {"nested menus",
         "<m><menu caption='File'><menu caption='Open Recent'><item caption='x' command='y'/></menu>"
         "<separator/></menu></m>",
         "File[Open Recent[x=y]|-]"},
        {"incomplete and unknown elements are skipped",
         "<m><item caption='no command'/><item command='no caption'/><menu><item caption='lost' command='l'/></menu>"
         "<dynamicmenu caption='no key'/><dynamicmenu key='no caption'/><toolbar/>"
         "<item caption='' command='empty caption'/></m>",
         "=empty caption"},
        {"counters in caption and command",
         "<m><item caption='Layout %I' command='select %i' repeat='4'/></m>",
         "Layout 1=select 0|Layout 2=select 1|Layout 3=select 2|Layout 4=select 3"},
        {"counters without repeat", "<m><item caption='%i%I%%i' command='c %I'/></m>", "01%0=c 1"},
        {"UTF-8 captions", "<m><item caption='Caf\xc3\xa9 \xe2\x80\x94 %s' command='x'/></m>",
         "Caf\xc3\xa9 \xe2\x80\x94 %s=x"},
        {"an empty menu", "<m/>", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuDescriptor menu;
        EXPECT_EQ("", load(c.xml, menu));
        EXPECT_EQ(c.menu, dump(menu));
    }
}

TEST_F(MenuFileTest, RepeatIsClampedToOneThroughSixtyFour)
{
    struct Case {
        const char* repeat;
        int items;
    };
    const Case cases[] = {
        {"0", 1}, {"-3", 1}, {"1000", 64}, {"64", 64}, {"2", 2}, {"abc", 1}, {"", 1},
        {"99999999999999999999999", 64}, {"-99999999999999999999999", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.repeat);
        MenuDescriptor menu;
        EXPECT_EQ("", load(std::string("<m><item caption='i' command='c' repeat='") + c.repeat + "'/></m>", menu));
        EXPECT_EQ(repeated("i=c", c.items), dump(menu));
    }
}

TEST_F(MenuFileTest, LoadAppendsAfterExistingEntries)
{
    MenuDescriptor menu(u"Context");
    menu.addItem(u"Copy", u"copy");
    EXPECT_EQ("", load("<m><item caption='Paste' command='paste'/></m>", menu));
    EXPECT_EQ("Copy=copy|Paste=paste", dump(menu));
    EXPECT_EQ(u"Context", menu.m_caption);
}

TEST_F(MenuFileTest, BadFileNamesTheFileAndLeavesTheMenuUnchanged)
{
    struct Case {
        const char* name;
        const char* xml; // null: no such file
    };
    const Case cases[] = {
        {"missing file", nullptr},
        {"unclosed element", "<m><item caption='a' command='b'>"},
        {"no root element", "<?xml version='1.0'?>"},
        {"not XML", "\x01\x02"},
        {"error after good items", "<m><item caption='a' command='b'/><item caption='c' command='d'></m>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MenuDescriptor menu;
        menu.addItem(u"Keep", u"keep");
        ustring error;
        const ustring path = c.xml ? u"Packages/Default/Bad.vantrel-menu" : u"Packages/Default/Missing.vantrel-menu";
        if (c.xml)
            m_packages.add(u"Default/Bad.vantrel-menu", c.xml);
        EXPECT_FALSE(menu.load(path, error));
        const std::string text = toUtf8(error);
        EXPECT_EQ(0u, text.find("Error parsing menu xml: ")) << text;
        EXPECT_NE(std::string::npos, text.find(" In file " + toUtf8(path))) << text;
        EXPECT_EQ("Keep=keep", dump(menu));
        m_packages.remove(u"Default/Bad.vantrel-menu");
    }
}

TEST(MenuDescriptor, AppendAddsALoneEntryItselfAndAnythingElseAsSubmenu)
{
    slate::SP<MenuDescriptor> one(new MenuDescriptor(u"One"));
    one->addItem(u"Solo", u"solo");
    slate::SP<MenuDescriptor> lonelySubmenu(new MenuDescriptor(u"Outer"));
    lonelySubmenu->addSubmenu(slate::SP<MenuDescriptor>(new MenuDescriptor(u"Inner")));
    slate::SP<MenuDescriptor> two(new MenuDescriptor(u"Two"));
    two->addItem(u"A", u"a");
    two->addSeparator();
    slate::SP<MenuDescriptor> none(new MenuDescriptor(u"None"));

    MenuDescriptor menu;
    menu.append(one);
    menu.append(lonelySubmenu);
    menu.append(two);
    menu.append(none);
    EXPECT_EQ("Solo=solo|Inner[]|Two[A=a|-]|None[]", dump(menu));
    EXPECT_EQ(two, menu.findSubmenu(u"Two"));
    EXPECT_EQ(nullptr, menu.findSubmenu(u"two"));
    EXPECT_EQ(nullptr, menu.findSubmenu(u"Solo"));
}

TEST(MenuDescriptor, EscapedCaptionsShowAmpersandsAndHoldNoTab)
{
    EXPECT_EQ(u"R&&D notes", escapeMenuCaption(u"R&D\tnotes"));
    EXPECT_EQ(u"a&&&& b c", escapeMenuCaption(u"a&& b\tc"));
    EXPECT_EQ(u"", escapeMenuCaption(u""));
}
