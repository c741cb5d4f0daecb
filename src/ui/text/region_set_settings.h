// Region sets in session settings: region N of a set is stored under
// key + "[" + N + "]" + ".a" and the same with ".b", as signed 64-bit values,
// N in plain decimal counting from 0. Buffers keep their bookmarks this way
// and views their selections and named regions.
#pragma once

#include <initializer_list>

#include "ui/text/selection_set.h"
#include "ui/ustring.h"

class Options;

// Writes every region of `set` under `key`.
void writeRegionSet(Options& node, const ustring& key, const SelectionSet& set);
// Adds to `set` (which sorts and merges them) the regions stored under `key`,
// in index order. An index whose ".a" or ".b" is missing gives no region.
// Values come from a session file: callers clamp the set to their text.
void readRegionSet(const Options& node, const ustring& key, SelectionSet& set);
// Erases every key of `node` that begins with one of `prefixes`. Writers
// call it first when they reuse a node, so that what an earlier write left
// (a longer region set, a key no longer written) does not come back.
void eraseKeysStartingWith(Options& node, std::initializer_list<ustring> prefixes);
