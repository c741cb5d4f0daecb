// The macro store, its replay and the macro file reader. Replays nest: a
// macro line may run the macro, a macro file or a sequence again, each of
// which replays through playMacroCommands. One depth counter there bounds
// every such cycle; once it trips, the run is abandoned at every level, so a
// self-running macro neither overflows the stack nor runs its remaining lines
// kMaxMacroDepth times over.
#include "ui/text/macro.h"

#include <algorithm>
#include <utility>

#include "filesystem/file_manager.h"
#include "filesystem/file_utils.h"
#include "input/command_runner.h"
#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/string_utils.h"
#include "ui/text/scoped_undo_group.h"
#include "ui/text/text_buffer.h"
#include "ui/unicode.h"

namespace {

std::vector<ustring> s_macro;
int s_playDepth = 0; // nesting of playMacroCommands
bool s_abandoned = false; // the outermost run hit the depth limit; cleared when it ends

void setStatus(const ustring& text)
{
    if (NotificationManager::alive())
        NotificationManager::get().setStatus(text);
}

// `prefix`, the count, then " command" or " commands".
ustring commandCountText(const char* prefix, size_t count)
{
    return toUstring(prefix) + intToString(static_cast<int>(count)) +
           (count == 1 ? u" command" : u" commands");
}

class PlayDepth {
public:
    PlayDepth() { ++s_playDepth; }
    ~PlayDepth()
    {
        if (--s_playDepth == 0)
            s_abandoned = false;
    }
    PlayDepth(const PlayDepth&) = delete;
    PlayDepth& operator=(const PlayDepth&) = delete;
};

} // namespace

const std::vector<ustring>& getMacro() { return s_macro; }

void setMacro(std::vector<ustring> commands) { s_macro = std::move(commands); }

ustring stopMacroRecording(TextBuffer& buffer)
{
    if (!buffer.isRecordingMacro())
        return ustring();
    std::vector<ustring> commands = buffer.takeRecordedCommands();
    ustring status;
    if (commands.empty()) {
        status = u"Stopped recording macro";
    } else {
        status = commandCountText("Recorded macro with ", commands.size());
        s_macro = std::move(commands);
    }
    setStatus(status);
    return status;
}

bool canRunMacro(const TextBuffer& buffer) { return !s_macro.empty() && !buffer.isRecordingMacro(); }

void runMacro(const slate::SP<TextBuffer>& buffer, CommandRunner& runner)
{
    if (buffer->isRecordingMacro())
        return;
    ScopedUndoGroup group(u"runMacro", buffer, false, false);
    // A copy: a macro line may replace the macro while it runs.
    const std::vector<ustring> lines = s_macro;
    setStatus(commandCountText("Running macro with ", lines.size()));
    playMacroCommands(runner, lines);
}

bool playMacroCommands(CommandRunner& runner, const std::vector<ustring>& lines)
{
    if (s_abandoned)
        return false;
    PlayDepth depth;
    if (s_playDepth > kMaxMacroDepth) {
        s_abandoned = true;
        const ustring message = u"Macro stopped: macros nested more than " +
                                intToString(kMaxMacroDepth) + u" levels deep";
        VLOG << message;
        setStatus(message);
        return false;
    }
    for (const ustring& line : lines) {
        VLOG << u"Running macro command " << line;
        if (runner.has(line)) {
            if (runner.isEnabled(line))
                runner.exec(line);
        } else {
            setStatus(u"Unknown macro command " + line);
        }
        if (s_abandoned)
            return false;
    }
    return true;
}

bool readMacroFile(const ustring& path, std::vector<ustring>& lines, ustring& error)
{
    slate::SP<slate::MemoryBlock> block;
    if (slate::FileManager::alive())
        block = slate::FileManager::get().read(path);
    if (!block) {
        error = u"Cannot read macro file " + path;
        return false;
    }
    const char* bytes = reinterpret_cast<const char*>(block->data());
    const char* end = bytes + block->size();
    // Text ends at a NUL for the line splitter, and a malformed byte empties
    // the whole conversion: either would run a different macro than the file
    // shows, so both refuse the file.
    if (std::find(bytes, end, '\0') != end) {
        error = u"Macro file " + path + u" is not text: it holds a NUL byte";
        return false;
    }
    const ustring text = utf8ToUtf16(bytes, end);
    if (text.empty() && bytes != end) {
        error = u"Macro file " + path + u" is not UTF-8 text";
        return false;
    }
    std::vector<ustring> read;
    splitLines(text, read);
    dropBlankAndCommentLines(read);
    lines = std::move(read);
    return true;
}
