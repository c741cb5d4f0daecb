// An application whose window is driven as the user drives it (frames,
// commands, keys typed into the focused field), for the tests of the find
// panels and of the window's part in finding.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "controls/control_events.h"
#include "panels/find_settings.h"
#include "texteditor/application_fixture.h"
#include "texteditor/view_set.h"
#include "ui/key_codes.h"
#include "ui/notification_manager.h"
#include "ui/text/selection_printers.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"

namespace application_test {

using Regions = std::vector<SelectionRegion>;

// Enter with the modifier keys `held`, sent to the focused region.
inline KeyEvent enterKey(std::initializer_list<int32_t> held = {})
{
    return control_events::button(kKeyEnter, true, 0, 0, held);
}

// An initialised application (so that option changes reach its window),
// its window and a status line.
class FindWindowTest : public ApplicationTest {
protected:
    void SetUp() override
    {
        ApplicationTest::SetUp();
        NotificationManager::set(new NotificationManager(u"Test"));
        createApplication();
        ASSERT_TRUE(m_application->init({}, {}, u"", false));
        m_window = m_application->activeWindow();
        ASSERT_NE(nullptr, m_window);
        ASSERT_NE(nullptr, settings().findView());
    }
    void TearDown() override
    {
        ApplicationTest::TearDown();
        NotificationManager::destroy();
    }

    FindSettings& settings() { return m_window->findSettings(); }
    slate::SP<Options> applicationOptions()
    {
        return OptionsManager::get().getOptions(FindSettings::kApplicationOptionsPath);
    }
    // Stores a flag and tells every listener, as the toggles do.
    void setOption(const char16_t* key, bool value)
    {
        applicationOptions()->setBool(ustring(key), value);
        applicationOptions()->notifyChanged();
    }
    bool storedOption(const char16_t* key)
    {
        bool value = false;
        EXPECT_TRUE(applicationOptions()->getBool(ustring(key), value));
        return value;
    }

    // The active view, focused, holding `text` with one selection. Commands
    // reach the window along the focus path of the last frame.
    slate::SP<TextBufferView> open(const ustring& text, SelectionRegion selection)
    {
        m_view = m_window->newFile();
        m_view->buffer()->insertCharacters(0, text, true);
        select(selection);
        m_window->draw(true);
        m_window->draw(true);
        return m_view;
    }
    void select(SelectionRegion selection) { m_view->mutableSel() = SelectionSet(selection); }
    Regions selections() const { return m_view->sel().regions(); }
    Regions highlighted() const { return highlightedIn(*m_view); }
    static Regions highlightedIn(const TextBufferView& view)
    {
        const ustring* name = view.buffer()->internRegionName(FindSettings::kFindRegionName);
        const NamedRegionMap& named = view.viewState().namedRegions();
        const auto it = named.find(name);
        return it == named.end() ? Regions() : it->second.regions.regions();
    }

    // Shows the panel through the window's command and draws the frame that
    // gives its field the keyboard focus.
    void show(const char16_t* name)
    {
        ASSERT_TRUE(m_window->runCommand(u"showPanel " + ustring(name)));
        m_window->draw(true);
        m_window->draw(true);
    }
    // Types into the focused field, one key at a time.
    void type(const ustring& text)
    {
        for (char16_t c : text) {
            CharacterEvent event;
            event.character = c;
            m_window->onCharacter(event);
        }
    }
    const ustring& status() { return NotificationManager::get().status(); }

    TextEditorWindow* m_window = nullptr;
    slate::SP<TextBufferView> m_view;
};

} // namespace application_test
