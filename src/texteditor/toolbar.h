// A window's toolbar: groups of buttons, each a command line with a caption
// and an icon, read from an XML toolbar file and read again whenever that
// file changes. The window's layout draws the groups and runs the command of
// a clicked button; this is the file and the model.
//
// The file: a root element (of any name) whose "group" children are the
// groups, in order; each group's "button" children are its buttons, with
// the attributes "command", "caption" and "icon" (the icon's virtual path),
// each empty when absent. Other elements are ignored.
//
// Main thread only.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <vector>

#include "filesystem/file_manager.h"
#include "ui/reference_counted.h"
#include "ui/ustring.h"

class Canvas;
class SimpleTextureShader;

// One button of a toolbar file, as written there.
struct ToolbarButtonEntry {
    ustring command;
    ustring caption;
    ustring icon;
};
using ToolbarFileGroup = std::vector<ToolbarButtonEntry>;

// Reads the toolbar file at the virtual `path` into `groups` (replacing
// what it held). Empty on success; otherwise why the file cannot be used,
// in TinyXML's words ("Failed to open file" for a file that cannot be read),
// with `groups` unchanged. `bytesHash` gets a hash of the file's bytes
// (of nothing for a file that cannot be read).
std::string readToolbarFile(const ustring& path, std::vector<ToolbarFileGroup>& groups, size_t& bytesHash);

struct ToolbarButton {
    ToolbarButton(Canvas* canvas, const ToolbarButtonEntry& entry);
    ~ToolbarButton();
    ToolbarButton(ToolbarButton&&) noexcept;
    ToolbarButton& operator=(ToolbarButton&&) noexcept;

    // Made from the icon path whatever it names; a missing image draws
    // nothing. Never null.
    std::unique_ptr<SimpleTextureShader> icon;
    ustring command; // the command line the button runs
    ustring caption; // the tool tip
};
using ToolbarGroup = std::vector<ToolbarButton>;

class Toolbar {
public:
    // No canvas, no groups, no watch.
    Toolbar();
    // Drops the buttons, then the watch.
    ~Toolbar();
    Toolbar(const Toolbar&) = delete;
    Toolbar& operator=(const Toolbar&) = delete;

    // Remembers `canvas` (the window's; not owned, it outlives the toolbar
    // or is replaced by a later call), watches `path` for writes and
    // re-creation, and loads it. A watch of an earlier call goes.
    bool watchAndLoad(Canvas* canvas, const ustring& path);
    // Replaces the groups by the file's. False without a canvas, or when
    // the file cannot be read or parsed: the groups stay as they were, and
    // the error "Error parsing toolbar xml: <why> In file <path>" is shown,
    // once for the same bytes failing in the same way, however often the
    // file is reloaded.
    bool load(const ustring& path);
    // Drops every button with its icon.
    void clear();

    // The groups in file order, for drawing; a group may be empty. Valid
    // until the next load or clear.
    const std::vector<ToolbarGroup>& groups() const { return m_groups; }

private:
    Canvas* m_canvas = nullptr; // null until watchAndLoad
    std::vector<ToolbarGroup> m_groups;
    slate::SP<DirectoryWatchHandle> m_watch; // null until watchAndLoad
    // The failure last shown: its message and the hash of the bytes that
    // caused it. Empty after a load that succeeded.
    ustring m_shownError;
    size_t m_shownErrorBytesHash = 0;
};

// The watch callback: reloads `toolbar` (a Toolbar*) from the changed path.
void onToolbarFileChanged(const ustring& path, int32_t flags, void* toolbar);
