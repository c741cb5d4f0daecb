// The undo group of one command, opened on construction and closed on
// destruction, also when the command throws:
//
//     ScopedUndoGroup group(commandLine, buffer, true, false);
//     buffer->insertCharacters(position, text);
#pragma once

#include "ui/reference_counted.h"
#include "ui/text/text_buffer.h"
#include "ui/ustring.h"

class ScopedUndoGroup {
public:
    // Holds `buffer` (not null) and opens a group named by `commandText`,
    // usually the command line that runs. `allowMerge` and `forceKeep` are
    // passed to TextBuffer::endUndoGroup when the guard dies.
    ScopedUndoGroup(const slate::usubstring& commandText, slate::SP<TextBuffer> buffer,
                    bool allowMerge, bool forceKeep)
        : m_buffer(std::move(buffer)), m_allowMerge(allowMerge), m_forceKeep(forceKeep)
    {
        m_buffer->beginUndoGroup(commandText);
    }
    ~ScopedUndoGroup() { m_buffer->endUndoGroup(m_allowMerge, m_forceKeep); }
    ScopedUndoGroup(const ScopedUndoGroup&) = delete;
    ScopedUndoGroup& operator=(const ScopedUndoGroup&) = delete;

private:
    slate::SP<TextBuffer> m_buffer;
    bool m_allowMerge;
    bool m_forceKeep;
};
