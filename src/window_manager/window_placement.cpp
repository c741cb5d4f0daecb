// Placement text comes back from session files, so it is read as untrusted
// text: field by field, in the manner of a "%d,%d,..." scan, but with values
// clamped instead of overflowing and without touching a field it could not
// read, which the window manager relies on to keep the system's own values.
#include "window_manager/window_placement.h"

#include <climits>
#include <string>

int32_t& WindowPlacement::field(int index)
{
    int32_t* fields[kFieldCount] = {&fullscreen, &flags, &showCommand, &minX, &minY, &maxX,
                                    &maxY,       &left,  &top,         &right, &bottom};
    return *fields[index];
}

namespace {

bool isBlank(uchar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

// Reads one field at `position`; false, with `position` unchanged, when
// there is none.
bool readField(const uchar* end, const uchar*& position, int32_t& value)
{
    const uchar* p = position;
    while (p != end && isBlank(*p))
        ++p;
    bool negative = false;
    if (p != end && (*p == u'-' || *p == u'+'))
        negative = *p++ == u'-';
    if (p == end || *p < u'0' || *p > u'9')
        return false;
    int64_t magnitude = 0;
    for (; p != end && *p >= u'0' && *p <= u'9'; ++p) {
        if (magnitude <= int64_t(INT32_MAX) + 1)
            magnitude = magnitude * 10 + (*p - u'0');
    }
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > INT32_MAX)
        signedValue = INT32_MAX;
    if (signedValue < INT32_MIN)
        signedValue = INT32_MIN;
    value = int32_t(signedValue);
    position = p;
    return true;
}

} // namespace

int parsePlacement(const slate::usubstring& text, WindowPlacement& placement)
{
    const uchar* end = text.end;
    const uchar* position = text.begin;
    int count = 0;
    while (count < WindowPlacement::kFieldCount) {
        if (count > 0) {
            if (position == end || *position != u',')
                break;
            ++position;
        }
        int32_t value = 0;
        if (!readField(end, position, value))
            break;
        placement.field(count++) = value;
    }
    return count;
}

int32_t openingShowCommand(int32_t saved, int32_t current)
{
    // The system's show states, by number.
    enum : int32_t {
        kNormal = 1,
        kMinimised = 2,
        kMaximised = 3,
        kShow = 5,
        kMinimisedInactive = 7,
        kShowInactive = 8,
    };
    switch (saved) {
    case kNormal:
    case kMaximised:
    case kShow:
    case kShowInactive:
        return saved;
    case kMinimised:
        return kShow;
    case kMinimisedInactive:
        return kShowInactive;
    default:
        return current;
    }
}

ustring formatPlacement(const WindowPlacement& placement)
{
    WindowPlacement copy = placement;
    ustring text;
    for (int i = 0; i < WindowPlacement::kFieldCount; ++i) {
        if (i)
            text += u',';
        const std::string digits = std::to_string(copy.field(i));
        text.append(digits.begin(), digits.end());
    }
    return text;
}
