// The drop-down menu of a history field: one item per entry of its
// HistoryList, newest first, each captioned with a short form of the entry
// and running the whole entry. Main thread only.
#pragma once

#include <functional>

#include "ui/interval2.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class BaseWindow;
class HistoryList;
class MenuDescriptor;
class TextBufferView;
class Window;
struct RegionId;

// Captions keep this many characters of an entry's first line whole; a
// longer line keeps kHistoryCaptionCut of them and "...".
constexpr size_t kHistoryCaptionLength = 32;
constexpr size_t kHistoryCaptionCut = 29;

// How an entry shows in the menu: its first line, cut to kHistoryCaptionCut
// characters when longer than kHistoryCaptionLength, with "..." whenever
// something was cut, escaped so that it shows literally.
ustring historyMenuCaption(const ustring& entry);

// The menu of `list`; every item's command is its whole entry.
slate::SP<MenuDescriptor> buildHistoryMenu(const HistoryList& list);

// Where the menu of a field with rectangle `fieldRect` opens: on its bottom
// edge, left of the drop-down button at its right end.
vector2 historyMenuPoint(const interval2& fieldRect);

// Shows the menu of `list` on `host` (may be null: nothing happens) at `point`
// and hands a chosen entry to `onChosen`. Nothing chosen changes nothing.
void showHistoryMenu(Window* host, const HistoryList& list, const vector2& point,
                     const std::function<void(const ustring&)>& onChosen);

// The drop-down action of a panel's own history field: a chosen entry
// replaces the text of `field` (see replaceFieldText) and the field's region
// `fieldId` is asked to take focus on the next frame.
void showFieldHistoryMenu(BaseWindow& window, TextBufferView& field, const RegionId& fieldId,
                          const HistoryList& list, const vector2& point);
