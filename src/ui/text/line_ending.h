// Line endings. Inside the editor every line break is one LF; a file's own
// line ending is detected when it is read, kept by the buffer and written
// back on save. The names are stored in settings and shown to the user.
//
// All functions are pure (the tables are built on first use, thread-safely)
// and may be called from any thread.
#pragma once

#include <cstdint>

#include "ui/ustring.h"

// A 32-bit line-ending id. Ids above 3 behave as "Windows".
using LineEnding = uint32_t;

constexpr LineEnding kLineEndingWindows = 0; // CR LF
constexpr LineEnding kLineEndingLfCr = 1;    // LF CR
constexpr LineEnding kLineEndingUnix = 2;    // LF
constexpr LineEnding kLineEndingMac = 3;     // CR

// The most frequent kind of line break in the text: CR LF and LF CR count as
// one break each, any other CR or LF as a lone one. Ties go to "Unix", then
// "Windows", then "Mac", then "LFCR"; a text without breaks is "Windows".
LineEnding detectLineEnding(const uchar* begin, const uchar* end);
LineEnding detectLineEnding(const slate::usubstring& text);

// Where the stream normaliser stands between two chunks of one text. The
// caller owns it, one per text, and starts it at NewlineState::nsNormal.
enum class NewlineState {
    nsNormal, // the last unit was not part of a line break
    nsSeenR,  // the last unit was a CR, already turned into LF
    nsSeenN,  // the last unit was an LF, kept
};

// Rewrites the range in place so that every CR LF, LF CR, lone CR and lone LF
// is one LF, and returns the start and the new (never later) end. A pair cut
// by the end of one chunk and the start of the next still gives one LF as
// long as the same `state` is passed to both calls.
slate::usubstring normaliseNewlines(uchar* begin, uchar* end, NewlineState& state);
// The same over a whole string, which is cut to its new length. For pasted,
// inserted and received text.
void normaliseNewlinesInString(ustring& text);
inline void normaliseNewlines(ustring& text) { normaliseNewlinesInString(text); }

// "Windows", "LFCR", "Unix" or "Mac"; "Windows" for ids above 3. The
// reference stays valid until the process exits.
const ustring& lineEndingName(LineEnding lineEnding);
// Looks `name` up ignoring ASCII letter case. On a match stores the id in
// `lineEnding` and returns true; otherwise returns false and leaves
// `lineEnding` untouched, so callers put their default in first.
bool lineEndingFromName(const slate::usubstring& name, LineEnding& lineEnding);
// The units the writer puts in place of each LF: CR LF, LF CR, LF or CR
// (CR LF for ids above 3).
const ustring& lineEndingText(LineEnding lineEnding);

// Turns every LF into CR LF, for text handed to Windows (the clipboard). The
// text is taken as ending at its first zero unit: only the part before it is
// converted, and the rest of the result is zero units (the string keeps its
// length plus one unit for each LF converted).
void toWindowsNewlines(ustring& text);
