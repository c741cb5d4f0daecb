// The file behind a buffer. Saving collects the encoded text and hands it to
// the file helpers' atomic replacement, which writes a temporary file in the
// same folder, checks every write and the close, and only then renames it
// over the original; so a full disk, a read-only file or a folder in the way
// leaves the original byte for byte as it was.
#include "ui/text/file_buffer_source.h"

#include "filesystem/path_parts.h"

namespace {

class FileOutStream : public OutStream {
public:
    explicit FileOutStream(FileBufferSource& source) : m_source(source) {}

    size_t write(const void* bytes, size_t length) override
    {
        if (!bytes || length == 0 || m_finished)
            return 0;
        m_bytes.append(static_cast<const char*>(bytes), length);
        return length;
    }

    bool commit() override
    {
        if (m_finished)
            return false;
        m_finished = true;
        const bool written = writeFileAtomically(m_source.path(), m_bytes);
        // Our own save is no change on disk.
        if (written)
            m_source.refreshFileStat();
        return written;
    }

private:
    FileBufferSource& m_source;
    std::string m_bytes;
    bool m_finished = false;
};

} // namespace

FileBufferSource::FileBufferSource(ustring path, FileEncoding encoding)
    : m_path(std::move(path)), m_encoding(encoding)
{
    ustring forward = m_path;
    for (uchar& unit : forward)
        if (unit == u'\\')
            unit = u'/';
    while (forward.size() > 1 && forward.back() == u'/')
        forward.pop_back();
    m_displayName = pathFileName(slate::usubstring(forward), u'/').str();
}

std::unique_ptr<OutStream> FileBufferSource::openOutStream()
{
    if (m_path.empty() || isDirectory(m_path))
        return nullptr;
    return std::make_unique<FileOutStream>(*this);
}

bool FileBufferSource::hasChangedOnDisk()
{
    FileStat now;
    if (!now.read(m_path))
        return false;
    const bool changed = now != m_fileStat;
    m_fileStat = now;
    return changed;
}
