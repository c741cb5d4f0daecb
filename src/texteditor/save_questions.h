// What saving asks the user before it writes, and what it tells the user
// when a write failed. The questions go through the window dialogs
// (window_dialogs.h), so tests script their answers. Main thread.
#pragma once

#include <cstdint>

#include "ui/platform.h"
#include "ui/ustring.h"

// When `path` is a read-only file, asks whether to overwrite it ("Read only
// file", No the default) and on Yes clears its read-only attribute. True
// when the save may go on: Yes, or the path is not a read-only file (a path
// whose attributes cannot be read counts as missing). `owner` may be null.
bool confirmOverwriteReadOnly(platform::WindowHandle owner, const ustring& path);
// The question before saving under a new name: nothing to ask for a path
// that names nothing; the read-only question for a read-only file; else
// whether to replace what exists ("Save As", No the default). True when the
// save may go on.
bool confirmSaveAsTarget(platform::WindowHandle owner, const ustring& path);
// Asks whether to save over `path` although `undecodableBytes` of its bytes
// did not decode as `encodingName` when it was read: saving replaces them
// by what the text shows. True on Yes (No is the default).
bool confirmOverwriteUndecodable(platform::WindowHandle owner, const ustring& path, uint64_t undecodableBytes,
                                 const ustring& encodingName);

// Why a save of `path` failed, as a sentence for the user: a missing
// folder, a folder in the way and a read-only file are told as such; else
// `systemMessage` (the system's text for the failure) when there is one;
// else the likely causes.
ustring saveFailureReason(const ustring& path, const ustring& systemMessage);
// "Unable to save PATH" with the reason on a line of its own.
ustring saveFailureMessage(const ustring& path, const ustring& systemMessage);

// The platform halves (save_questions_win32.cpp, save_questions_native.cpp).
//
// Whether `path` is a read-only file; false for anything else, including a
// directory. False also sets `exists` to whether anything is there (file or
// directory); a path whose attributes cannot be read does not exist.
bool isReadOnlyFile(const ustring& path, bool& exists);
// Makes a read-only file writable; false when that failed.
bool clearReadOnly(const ustring& path);
// Forgets the calling thread's last system error, so that the text read
// after the next operation is that operation's own.
void resetLastSystemError();
// The system's text for the calling thread's last error; empty for none.
ustring lastSystemErrorText();
