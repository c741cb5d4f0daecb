// Settings kept as XML elements, and the one way the program parses XML.
//
// Session and project files hold their settings as child elements with one
// text value each. The writers below append such an element under a TinyXML
// node; the readers find the first child element of a name and convert its
// text. Values are `ustring` in the program and UTF-8 in the document. A
// missing or unreadable element reads as the empty string, 0 or empty
// options, so a file written by an older or newer version loads with
// defaults for what it lacks; nothing is reported.
//
// Every XML parse in the program goes through parseXmlDocument: TinyXML's
// white-space switch is one process-wide flag, and the function holds a lock
// around setting it, parsing and restoring it, so that a parse on a worker
// thread (the snippet scan) never changes how another thread's parse reads
// its text. Parse with keepWhiteSpace when text values must come back
// exactly (property lists, sessions, projects): TinyXML otherwise trims text
// and folds runs of blanks into one.
#pragma once

#include <cstddef>
#include <string>

#include "ui/reference_counted.h"
#include "ui/ustring.h"

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;
class Options;

// Element nesting deeper than this is refused before TinyXML, which recurses
// once per level, sees it. Real documents stay far below it.
constexpr int kMaximumXmlDepth = 1000;

// Parses the UTF-8 document `text` (`length` bytes) into `document`,
// replacing what it held. CR LF and lone CR become LF first, as TinyXML's
// own file loading does, and bytes that are not well-formed UTF-8 become the
// byte FF (so the text holding them still reads as not UTF-8). With
// `keepWhiteSpace`, text comes back exactly, also a "string" element that
// holds only white space. True when the document parsed;
// false for an embedded NUL, nesting deeper than kMaximumXmlDepth or a
// TinyXML error, with `document.Error()` set and `*error` (when `error` is
// not null) saying why, with the line and column where TinyXML knows them.
// Any thread.
bool parseXmlDocument(TiXmlDocument& document, const char* text, size_t length, bool keepWhiteSpace,
                      std::string* error);
inline bool parseXmlDocument(TiXmlDocument& document, const std::string& text, bool keepWhiteSpace,
                             std::string* error = nullptr)
{
    return parseXmlDocument(document, text.data(), text.size(), keepWhiteSpace, error);
}

// Reads the file at `path` through the file manager and parses it as
// parseXmlDocument does. Empty when the document parsed and has a root
// element; otherwise why not: "Unable to read the file.", the parse error
// (with `document.Error()` set), or "No root element.". `shownPath` gets the
// path to name in a message: the native path where there is one, else `path`.
std::string readXmlFile(const ustring& path, TiXmlDocument& document, bool keepWhiteSpace, ustring& shownPath);

// Writers. Each appends to `node` (never null) a new last child element named
// `name` holding one text node. Text goes in as toUtf8Replacing makes it: an
// unpaired surrogate becomes U+FFFD and the rest of the value is kept.

// The value in UTF-8 as a CDATA section, or as ordinary escaped text when it
// contains "]]>", which cannot appear inside one, or a CR or NUL, which the
// parser would not give back from one (unless the value is all white space,
// which only CDATA keeps: there a CR reads back as LF).
void addXmlTextElement(TiXmlNode* node, const char* name, const ustring& value);
// The value in UTF-8, always as ordinary escaped text.
void addXmlElement(TiXmlNode* node, const char* name, const ustring& value);
// The value in decimal.
void addXmlElement(TiXmlNode* node, const char* name, int value);
// The value with six digits after the point ("0.500000"), whatever the
// process locale.
void addXmlElement(TiXmlNode* node, const char* name, double value);

// Readers. Each looks at the first child element of `node` named `name`; a
// null `node` has none.

// That element's text when its first child is a text or CDATA node, else the
// empty string (also when the text is not well-formed UTF-8).
ustring xmlElementText(const TiXmlNode* node, const char* name);
// The same for `element` itself: its text, or the empty string when it is
// null or its first child is not text.
ustring xmlText(const TiXmlElement* element);
// The text read as toInt does: 0 when absent or not a number.
int xmlElementInt(const TiXmlNode* node, const char* name);
// The text read as toDouble does: 0 when absent.
double xmlElementDouble(const TiXmlNode* node, const char* name);

// Options as elements.

// Writes `options->serialise()` (options never null) as addXmlTextElement
// does: CDATA unless the text contains "]]>". The reference passed in is
// released on return.
void addXmlOptionsElement(TiXmlNode* node, const char* name, slate::SP<Options> options);
// New options (held only by the result, never null) filled by Options::parse
// of the element's text; an absent element gives empty options.
slate::SP<Options> xmlElementOptions(const TiXmlNode* node, const char* name);
