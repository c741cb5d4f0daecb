// The settings that belong to a buffer rather than to a view: how tabs are
// typed, which characters end a word, spelling, the fallback encoding, the
// line ending of a new file and which brackets are matched. A view reads them
// from its options whenever those change and hands them to its buffer; the
// last view to do so wins.
//
//     BufferOptions settings = buffer's current settings;
//     readBufferOptions(options, settings);
//     ... the buffer takes settings over
#pragma once

#include <cstdint>

#include "ui/text/bracket_matching.h"
#include "ui/text/encoding.h"
#include "ui/text/line_ending.h"
#include "ui/ustring.h"

class Options;

// The 36 units that end a word in a new buffer: line feed, tab, blank and
// the ASCII punctuation other than the underscore (the period and the tilde
// appear twice, as they always have).
const ustring& defaultWordSeparators();

// The path of the dictionary when the options name none.
const ustring& defaultDictionaryPath(); // "Packages/Language - English/en_US.dic"

// The smallest and largest tab sizes; anything else is clamped to them.
constexpr int32_t kMinimumTabSize = 1;
constexpr int32_t kMaximumTabSize = 32;

// Initialised as a new buffer's settings.
struct BufferOptions {
    FileEncoding fallbackEncoding = kEncodingWindows1252;
    ustring wordSeparators = defaultWordSeparators();
    // Whether the buffer's words are checked, and with which dictionary (a
    // virtual path; only meaningful while spellCheck is set).
    bool spellCheck = true;
    ustring dictionary = defaultDictionaryPath();
    // Bits of kMatchParentheses, kMatchSquareBrackets, kMatchBraces and
    // kMatchAngleBrackets.
    uint32_t matchBrackets = kMatchParentheses;
    bool autoIndent = true;
    bool trimAutomaticWhitespace = true;
    bool translateTabsToSpaces = false;
    bool useTabStops = true;
    int32_t tabSize = 4; // kMinimumTabSize to kMaximumTabSize
    // For a new, unsaved buffer: applies only while its storage still has
    // the default line ending.
    LineEnding defaultLineEnding = kLineEndingWindows;
};

// Reads the buffer settings of `options` (and its parents) into `settings`,
// which holds the buffer's current values. Keys that are absent leave their
// setting as it is, except that the four bracket kinds are always recomputed
// (absent keys give parentheses only), spelling is on with the default
// dictionary unless the options say otherwise, the line ending falls back to
// "Windows", and the tab size is always clamped into range.
void readBufferOptions(const Options& options, BufferOptions& settings);
