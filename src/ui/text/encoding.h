// File encodings: the ids and names that settings and menus use, byte-order
// marks, detection from the first bytes of a file, decoding bytes to UTF-16
// (in chunks for the file reader, whole for the search in files) and encoding
// UTF-16 back to bytes for the writer.
//
// Every table here is built before `main` and read-only afterwards, so all
// free functions may be called from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "ui/ustring.h"

// A 32-bit encoding id. The values are stored in settings and sessions by
// name (`encodingName`), never by number, but the numbers are fixed too.
using FileEncoding = uint32_t;

// Not an encoding: detect when reading, keep the buffer's own when writing.
constexpr FileEncoding kEncodingUndefined = 0;
// 1 to 28 are the single-byte encodings, in the order of their names.
constexpr FileEncoding kEncodingWindows1252 = 1;
constexpr FileEncoding kEncodingIso8859_1 = 2;
constexpr FileEncoding kEncodingMacRoman = 5;
constexpr FileEncoding kEncodingWindows1258 = 28;
constexpr FileEncoding kEncodingFirstSingleByte = 1;
constexpr FileEncoding kEncodingLastSingleByte = 28;
constexpr FileEncoding kEncodingUtf16BE = 29;
constexpr FileEncoding kEncodingUtf16BEWithBom = 30;
constexpr FileEncoding kEncodingUtf16LE = 31;
constexpr FileEncoding kEncodingUtf16LEWithBom = 32;
constexpr FileEncoding kEncodingUtf8 = 33;
constexpr FileEncoding kEncodingUtf8WithBom = 34;
constexpr FileEncoding kEncodingLast = 34;

// The display and settings name of `encoding`, for example "UTF-8" or
// "Western (Windows 1252)"; "Bad File Encoding" for ids above 34. The
// reference stays valid until the process exits.
const ustring& encodingName(FileEncoding encoding);
// The id whose name equals `name` ignoring ASCII letter case; 0 (undefined)
// for a name that is not in the table.
FileEncoding encodingFromName(const slate::usubstring& name);

// True for the single-byte encodings, ids 1 to 28.
bool isSingleByteEncoding(FileEncoding encoding);
// True for the encodings whose files start with a byte-order mark (30, 32, 34).
bool encodingHasBom(FileEncoding encoding);
// Bytes of that mark: 2 for the UTF-16 ones, 3 for UTF-8, else 0.
size_t bomLength(FileEncoding encoding);
// The mark the writer puts before the text (FE FF, FF FE or EF BB BF);
// empty for an encoding without one.
std::string bomBytes(FileEncoding encoding);
// The encoding whose byte-order mark starts `bytes`, or 0 when none does.
FileEncoding detectBom(const unsigned char* bytes, size_t length);

// The encoding to read `bytes` (the start of a file) with: a byte-order mark
// wins over everything; else a `requested` id from 1 to 34 stands; else six
// or more bytes with zeros in every other place are UTF-16 (LE or BE); else 0,
// which leaves the choice between UTF-8 and the fallback to `decodeChunk`.
// A requested id above 34 names no encoding and is treated like 0.
FileEncoding detectEncoding(FileEncoding requested, const unsigned char* bytes, size_t length);

// The 256 UTF-16 units that the bytes of a single-byte encoding decode to
// (U+0000 for a byte the code page leaves undefined); null for other ids.
// Constant data, valid for the life of the process.
const uchar* singleByteDecodingTable(FileEncoding encoding);

// Decodes the bytes from `input` to `inputEnd` into UTF-16 at `output`,
// advancing both. What is not consumed (the start of a multi-byte sequence
// cut by the end of the chunk, or the odd byte of UTF-16) stays before
// `inputEnd` for the next call; when `final` is set nothing that can be
// decoded is left. `outputCapacity` (in units) must be at least the number of
// input bytes: no encoding yields more units than bytes.
//
// `encoding` 0 means detect: the bytes are tried as UTF-8 and `encoding`
// becomes 33 when they are valid (a sequence cut by the end of a non-final
// chunk counts as valid), else the whole input is decoded with `fallback`
// (1, Windows 1252, when `fallback` is 0 or no encoding) and `encoding`
// becomes that. Other ids decode as they are; ids above 34 decode nothing and
// count every byte as lost.
//
// Decoding never fails, but it can lose bytes: an invalid UTF-8 sequence
// becomes "?" (one per byte), the odd last byte of a UTF-16 file is dropped,
// and a byte that a single-byte code page leaves undefined becomes U+0000.
// The result is the number of input bytes consumed by this call that were
// lost that way; saving the text again in the same encoding reproduces the
// bytes exactly only when every call returned 0.
size_t decodeChunk(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                   const unsigned char* inputEnd, uchar*& output, size_t outputCapacity, bool final);
// `decodeChunk` for the first bytes of a file: the encoding is first replaced
// by `detectEncoding` of the input, and a byte-order mark at the start of the
// input is skipped (only a mark that is really there).
size_t decodeWithDetection(FileEncoding& encoding, FileEncoding fallback, const unsigned char*& input,
                           const unsigned char* inputEnd, uchar*& output, size_t outputCapacity,
                           bool final);
// A whole file at once, as the search in files reads it: detection, fallback
// Windows 1252, `final` set. `output` must hold 2 * `length` units. Returns the
// number of units written.
size_t decodeWithDetection(const unsigned char* bytes, size_t length, uchar* output);

// Decodes one file read in chunks. The reader fills `inputSpace()` with up to
// `inputSpaceSize()` new bytes, calls `decode`, and takes the text from
// `outputBegin()` to `outputEnd()` (which it may rewrite in place, for
// instance to normalise line breaks) before the next call. The encoding is
// detected in the first call only, so a reader must pass as many bytes as it
// can then. Owned by the one thread that reads the file.
class StreamDecoder {
public:
    static constexpr size_t kBufferSize = 0x40000;

    // `requested` 0 detects; `fallback` is used when detection rejects UTF-8.
    StreamDecoder(FileEncoding requested, FileEncoding fallback);
    StreamDecoder(const StreamDecoder&) = delete;
    StreamDecoder& operator=(const StreamDecoder&) = delete;

    // Starts a new stream as a new decoder would, keeping the buffers: kept
    // bytes, output, detection and lost-byte counts all begin again. For
    // callers that decode many short streams, where allocating the buffers
    // would cost more than the decoding.
    void reset(FileEncoding requested, FileEncoding fallback);

    // Where to put new bytes: behind the bytes kept from the last call.
    unsigned char* inputSpace() { return m_input.get() + m_kept; }
    size_t inputSpaceSize() const { return kBufferSize - m_kept; }
    size_t keptBytes() const { return m_kept; }

    // Decodes the kept bytes and `newBytes` more from `inputSpace()`; keeps
    // what cannot be decoded yet (nothing when `final` is set). The decoded
    // text replaces the previous call's and is followed by a zero unit.
    void decode(size_t newBytes, bool final);

    uchar* outputBegin() { return m_output.get(); }
    uchar* outputEnd() { return m_outputEnd; }

    // The requested encoding until the first `decode`, then the one in use;
    // 0 only before the first call.
    FileEncoding encoding() const { return m_encoding; }
    FileEncoding fallback() const { return m_fallback; }

    // Input bytes lost so far (see `decodeChunk`). Non-zero means the text
    // is not the file: saving over the file in the same encoding would change
    // bytes that the user never touched, so the buffer should not do that
    // without asking. This catches in particular a file whose start is valid
    // UTF-8 and whose later part is not: the encoding is detected from the
    // first chunk only and does not change afterwards.
    uint64_t lostBytes() const { return m_lostBytes; }
    // Offset in the file of the first lost byte; meaningful when lostBytes()
    // is not 0.
    uint64_t firstLostByteOffset() const { return m_firstLostByteOffset; }

private:
    std::unique_ptr<unsigned char[]> m_input; // kBufferSize bytes; kept bytes first
    std::unique_ptr<uchar[]> m_output;        // kBufferSize + 1 units: text and a zero
    uchar* m_outputEnd;                       // where the zero unit after the text is
    size_t m_kept = 0;                        // undecoded bytes at the start of m_input
    bool m_first = true;                      // the next decode detects the encoding
    FileEncoding m_encoding;
    FileEncoding m_fallback;
    uint64_t m_consumedBytes = 0; // file offset of the first kept byte
    uint64_t m_lostBytes = 0;
    uint64_t m_firstLostByteOffset = 0;
};

// Whether `encodeChunk` writes `unit` faithfully. For a single-byte encoding:
// true when the unit has a byte of its own there (U+0000 always has byte 0).
// True for the UTF-16 and UTF-8 ids; false for 0 and ids above 34.
bool canEncode(FileEncoding encoding, uchar unit);

// Encodes units from `source` to `sourceEnd` into at most `capacity` bytes at
// `destination`, advancing `source` past what was encoded, and returns the
// number of bytes written. Stops when the next character does not fit. In
// UTF-8 a high surrogate that is the last unit of the source is left for the
// next call, whose text may start with its low surrogate, unless `final` says
// no more text follows: then it is written on its own like any unpaired
// surrogate, so that a caller looping until the source is used up ends.
// Single-byte encodings write byte 0 for a unit they lack, so check with
// `canEncode` first. No byte-order mark is written (see `bomBytes`); ids
// outside 1 to 34 write nothing.
size_t encodeChunk(FileEncoding encoding, const uchar*& source, const uchar* sourceEnd,
                   unsigned char* destination, size_t capacity, bool final = false);

// Fills the encoding maps (unit to byte) of the single-byte encodings from
// their decoding tables. Runs by itself before `main`; a later call changes
// nothing.
void buildEncodingReverseMaps();
