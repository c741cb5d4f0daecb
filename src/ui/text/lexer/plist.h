// Property lists: grammars (".tmLanguage"), preferences (".tmPreferences"),
// colour schemes (".tmTheme") and snippets (".tmSnippet") are XML property
// lists, read into a tree of generic values. Next to each file a binary
// cache (its native path + ".cache") keeps the tree, so that later loads of
// an unchanged file skip the XML parsing.
//
// A value is a `PlistValue` (std::any) holding one of: nothing (empty), a
// `PlistArray`, a `PlistDict`, a `ustring` ("string"), an `int` ("integer")
// or a `bool` ("true", "false"). Only this subset of the format is read;
// "real", "date" and "data" are refused. Values own their contents: copying
// one copies the whole subtree.
#pragma once

#include <any>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "ui/hash.h"
#include "ui/ustring.h"

class ReadBuffer;
class TiXmlElement;
class WriteBuffer;
struct FileStat;

using PlistValue = std::any;
// Elements in document order.
using PlistArray = std::vector<PlistValue>;
// Unique keys; iteration order is the hash order and means nothing. The
// readers create dictionaries with 11 buckets.
using PlistDict = std::unordered_map<ustring, PlistValue, UstringHash>;

// Loads the property list at `path` into `out`. `path` is virtual (read
// through the file manager) or, when the file manager does not know it, a
// native path. With `allowCache`, a cache that records exactly the source's
// current modification time and size is used instead of the XML, and after
// every XML parse the cache is rewritten; without it the ".cache" file is
// neither read nor written. Throws ParseException (with the path) when the
// file cannot be read or is not a property list this reader accepts; `out`
// is then unchanged. Any thread (the snippet scan loads without caching).
void loadPlist(const ustring& path, PlistValue& out, bool allowCache);

// Converts one property-list element ("dict", "array", "string", "integer",
// "true", "false") and its subtree into `out`. Throws ParseException for
// anything else, a malformed dictionary or nesting deeper than the reader
// allows; `out` may then hold part of the tree.
void readPlistXml(const TiXmlElement* element, PlistValue& out);

// The cache record: the value (tag, then its contents, as below), then the
// stamp of the source it was made from (modification time and size, each as
// two int32 words, low word first). A reader that knows only the value part
// reads these files unchanged.
//   tag 0 empty; 1 array: count, elements; 2 dict: count, then per entry the
//   key as a string and the value; 3 string; 4 int32; 5 bool as one byte.
void writePlistValue(WriteBuffer& buffer, const PlistValue& value);
// Reads one value written by writePlistValue. False, with `out` meaningless,
// when the bytes end early, hold an unknown tag, a count larger than the
// remaining bytes could hold, or nesting deeper than the reader allows.
bool readPlistValue(ReadBuffer& buffer, PlistValue& out);

// Writes `value` and the `source` stamp as a property-list cache file at the
// native `cachePath`. False when it cannot be written; callers may ignore
// that, as the cache is only an optimisation.
bool writePlistCache(const ustring& cachePath, const PlistValue& value, const FileStat& source);
// Reads the cache file at the native `cachePath` into `out`. True only when
// it is a complete property-list cache whose recorded stamp equals `source`
// field by field; otherwise false with `out` unchanged.
bool readPlistCache(const ustring& cachePath, PlistValue& out, const FileStat& source);

// The string value of `key`. Throws ParseException "Expected key " + key when
// the key is absent, and std::bad_any_cast when its value is not a string.
// The reference lives as long as the entry.
const ustring& requirePlistString(const PlistDict& dict, const ustring& key);
// A copy of the string value of `key`, or the empty string when the key is
// absent; std::bad_any_cast when its value is not a string.
ustring plistString(const PlistDict& dict, const ustring& key);
