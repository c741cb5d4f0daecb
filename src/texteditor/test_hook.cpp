// The test read-out (see the header). The record is rebuilt every frame and
// compared whole with the last one written: the hook only runs under tests,
// whose texts are small, so this costs nothing that matters and needs no
// change counters from the buffer or the selection.
#include "texteditor/test_hook.h"

#include <cstdlib>
#include <cstring>
#include <memory>

#include "filesystem/file_utils.h"
#include "ui/text/selection_set.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/unicode.h"

namespace {

const char kPathVariable[] = "VANTREL_TEST_HOOK";

// The hook the environment asks for; null when the variable is unset or empty.
TestHook* environmentHook()
{
    static const std::unique_ptr<TestHook> hook = []() -> std::unique_ptr<TestHook> {
        const char* path = std::getenv(kPathVariable);
        if (!path || !*path)
            return nullptr;
        return std::make_unique<TestHook>(utf8ToUtf16(path, path + std::strlen(path)));
    }();
    return hook.get();
}

} // namespace

void reportFrameToTestHook(const TextBufferView* view)
{
    TestHook* hook = environmentHook();
    if (!hook)
        return;
    hook->write(view ? testHookRecord(view->buffer(), &view->sel())
                     : testHookRecord(nullptr, nullptr));
}

std::string testHookRecord(const TextBuffer* buffer, const SelectionSet* selections)
{
    std::string record;
    if (buffer)
        record += toUtf8Replacing(buffer->displayName(DisplayNameFlags::FullPath |
                                                      DisplayNameFlags::BufferName));
    record += '\n';
    if (selections) {
        for (size_t i = 0; i < selections->size(); ++i) {
            const SelectionRegion region = (*selections)[i];
            if (i > 0)
                record += ' ';
            record += std::to_string(region.a) + ',' + std::to_string(region.b);
        }
    }
    record += '\n';
    if (buffer)
        record += toUtf8Replacing(buffer->str());
    return record;
}

bool TestHook::write(const std::string& record)
{
    if (m_hasWritten && record == m_lastWritten)
        return false;
    if (!writeFileAtomically(m_path, record))
        return false;
    m_lastWritten = record;
    m_hasWritten = true;
    return true;
}
