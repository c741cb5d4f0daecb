// History menus are built anew each time one opens, from the list as it is
// then; the chosen item's command line is the entry itself, so no index has
// to survive the menu's modal loop.
#include "panels/history_menu.h"

#include "panels/history_field.h"
#include "panels/history_list.h"
#include "ui/base_window.h"
#include "ui/input_region.h"
#include "ui/menu_descriptor.h"
#include "window_manager/window.h"

namespace {

// The menu opens this far left of the field's right edge, under the button.
constexpr float kMenuOffsetFromRight = 24;

constexpr char16_t kZeroWidthSpace = u'\u200B';

bool isHighSurrogate(char16_t unit) { return unit >= 0xD800 && unit < 0xDC00; }

} // namespace

ustring historyMenuCaption(const ustring& entry)
{
    ustring caption = entry.substr(0, entry.find(u'\n'));
    bool cut = caption.size() < entry.size();
    if (caption.size() > kHistoryCaptionLength) {
        size_t keep = kHistoryCaptionCut;
        // Never split a surrogate pair.
        if (isHighSurrogate(caption[keep - 1]))
            --keep;
        caption.resize(keep);
        cut = true;
    }
    if (cut)
        caption += u"...";
    caption = escapeMenuCaption(caption);
    // The menu model reads a caption of "-" as a separator and replaces
    // "%s" by a command's value (hiding the item when there is none); a
    // zero-width space keeps such entries visible as they were typed.
    if (caption == u"-")
        caption += kZeroWidthSpace;
    for (size_t marker = caption.find(u"%s"); marker != ustring::npos; marker = caption.find(u"%s", marker + 3))
        caption.insert(marker + 1, 1, kZeroWidthSpace);
    return caption;
}

slate::SP<MenuDescriptor> buildHistoryMenu(const HistoryList& list)
{
    slate::SP<MenuDescriptor> menu(new MenuDescriptor);
    for (const ustring& entry : list.entries())
        menu->addItem(historyMenuCaption(entry), entry);
    return menu;
}

vector2 historyMenuPoint(const interval2& fieldRect)
{
    return vector2{fieldRect.x1 - kMenuOffsetFromRight, fieldRect.y1};
}

void showHistoryMenu(Window* host, const HistoryList& list, const vector2& point,
                     const std::function<void(const ustring&)>& onChosen)
{
    if (!host)
        return;
    ustring chosen;
    if (host->showPopupMenu(chosen, buildHistoryMenu(list), nullptr, point.x, point.y, PopupMenuFlags::WithoutState))
        onChosen(chosen);
}

void showFieldHistoryMenu(BaseWindow& window, TextBufferView& field, const RegionId& fieldId,
                          const HistoryList& list, const vector2& point)
{
    showHistoryMenu(window.m_window, list, point, [&window, &field, &fieldId](const ustring& entry) {
        replaceFieldText(field, entry);
        window.focusState()->requestFocus(fieldId);
    });
}
