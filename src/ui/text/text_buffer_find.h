// Find and replace in a view: the functions behind the find and replace
// panels, the incremental find and the plug-ins. They search through the
// buffer (TextBuffer::find, findAll, findAllIn), select and show what they
// found, and tell the user what happened in the status bar.
//
// An `inSet` restricts every search to its regions ("in selection"); an
// empty set searches the whole buffer. A replacement format is expanded by
// the buffer's search for each match (group references when the pattern is
// a regular expression). No function lets a regular-expression error out:
// a pattern that does not compile puts the engine's message in the status,
// and a search the engine gives up on reports the pattern as not found.
// Main thread only.
#pragma once

#include <cstdint>
#include <vector>

#include "ui/text/text_buffer_functions.h"
#include "ui/ustring.h"

class RegexError;
class TextBuffer;

// How the text to find is read, and which way the commands go.
struct FindOptions {
    bool regex = false;         // the text is a regular expression, not plain text
    bool caseSensitive = false;
    bool wholeWord = false;     // matches must begin and end at word boundaries
    bool reverse = false;       // towards the start of the buffer
    bool wrap = false;          // go on from the other end when a search runs out
};

// The status texts.
extern const ustring kWrappedStatus;
extern const ustring kUnableToFindStatus; // followed by the pattern

// The pattern and search flags (kSearchLiteral, kSearchIgnoreCase) that the
// buffer is given for `text`. Whole words are found with a regular
// expression: the text, escaped unless it already is one, between two "\b".
ustring buildFindPattern(const ustring& text, bool regex, bool caseSensitive, bool wholeWord,
                         uint32_t& flags);

// The match after `position` (at it, when `inclusive`), or the last one
// that begins before it when `options.reverse`; (-1, -1) when there is none.
// With `options.wrap` the search goes on from the other end, and says so.
// Given `format` and `extractions`, appends the expanded replacement of the
// match found. Clears the status first.
SelectionRegion findMatch(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                          int64_t position, bool inclusive, const FindOptions& options,
                          const ustring* format = nullptr, std::vector<ustring>* extractions = nullptr);

// Selects and shows the next match after the last selection (before it
// when reverse); a selection already on a match moves on to the next one.
// False, and the selection unchanged, when nothing is found.
bool findAndSelectNext(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                       const FindOptions& options);
// findMatch from `position`, selecting and showing the match found.
bool findAndSelect(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                   int64_t position, bool inclusive, const FindOptions& options);
// Makes every match a selection and says how many were found. Reverse and
// wrap play no part.
void selectAllMatches(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                      const FindOptions& options);

// When the last selection is the next match, replaces it (the undo group
// "Replace") and selects the match after it; otherwise only selects that
// next match, so a first press shows what a second one replaces.
void replaceNext(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                 const ustring& format, const FindOptions& options, bool preserveCase);
// Replaces every match in the undo group "Replace All" and says how many.
// The selections only shift with the text; nothing is scrolled. Reverse and
// wrap play no part.
void replaceAllMatches(const ViewPtr& view, const SelectionSet& inSet, const ustring& text,
                       const ustring& format, const FindOptions& options, bool preserveCase);

// Puts `text` in place of `region`. With `preserveCase`, each character of
// the text takes the case of the matched character at its index (ASCII
// letters only), and the part of a longer text past the match is written
// in capitals when the match held only capitals, in small letters when it
// held only small letters.
void replaceKeepingCase(TextBuffer& buffer, const SelectionRegion& region, const ustring& text,
                        bool preserveCase);

// The error's message for the status bar.
ustring runtimeErrorText(const RegexError& error);
