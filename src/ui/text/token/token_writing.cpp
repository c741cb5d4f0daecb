// Writing a token storage to its file. The tokens are copied into a small
// staging buffer, line breaks replaced by the line ending, and encoded from
// there in 4,096-byte chunks, so nothing is allocated per token and a
// surrogate pair split between two tokens is encoded as one character. Only
// the last chunk is encoded as final: an unpaired high surrogate at the very
// end is then written on its own rather than held back for ever. A file that
// was read with undecodable bytes is not overwritten without the caller's
// explicit consent.
#include "ui/text/token/token_storage.h"

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/text/file_buffer_source.h"

namespace {

constexpr size_t kStageUnits = 2048;

// Encodes staged text into one output buffer, handing full buffers on.
class ChunkWriter {
public:
    ChunkWriter(OutStream& stream, FileEncoding encoding) : m_stream(stream), m_encoding(encoding) {}

    void append(const uchar* begin, const uchar* end)
    {
        m_stage.append(begin, end);
        if (m_stage.size() >= kStageUnits)
            encodeStage(false);
    }

    // Encodes everything left and hands the rest of the buffer on. False
    // when the stream took fewer bytes than it was given at any point.
    bool finish()
    {
        encodeStage(true);
        flush();
        return m_ok;
    }

private:
    void flush()
    {
        if (m_used > 0 && m_stream.write(m_buffer, m_used) != m_used)
            m_ok = false;
        m_used = 0;
    }

    void encodeStage(bool final)
    {
        const uchar* source = m_stage.data();
        const uchar* sourceEnd = source + m_stage.size();
        while (source < sourceEnd) {
            const uchar* before = source;
            m_used += encodeChunk(m_encoding, source, sourceEnd, m_buffer + m_used,
                                  sizeof(m_buffer) - m_used, final);
            if (source != before)
                continue;
            // Nothing went in: the buffer lacks room for the next character,
            // or (not final) a high surrogate waits for its partner.
            if (m_used == 0)
                break;
            flush();
        }
        m_stage.erase(0, static_cast<size_t>(source - m_stage.data()));
        if (final)
            m_stage.clear();
    }

    OutStream& m_stream;
    const FileEncoding m_encoding;
    ustring m_stage;
    unsigned char m_buffer[4096];
    size_t m_used = 0;
    bool m_ok = true;
};

} // namespace

bool TokenStorage::write(BufferSource* source, FileEncoding encoding, bool overwriteUndecodable)
{
    if (!source)
        return false;
    if (source->undecodableBytes() > 0 && !overwriteUndecodable) {
        VLOG << u"Not writing " << source->path() << u": " << source->undecodableBytes()
             << u" bytes of it could not be decoded when it was read";
        return false;
    }
    if (encoding == kEncodingUndefined)
        encoding = m_encoding != kEncodingUndefined ? m_encoding : kEncodingUtf8;
    if (isSingleByteEncoding(encoding)) {
        for (auto it = m_tokenList.begin(); it != m_tokenList.end(); ++it) {
            const Token* token = *it;
            bool representable = true;
            for (const uchar* p = token->begin; p < token->end && representable; ++p)
                representable = canEncode(encoding, *p);
            if (representable)
                continue;
            if (NotificationManager::alive())
                NotificationManager::get().displayError(u"Not all characters are representable in "
                                                        + encodingName(encoding)
                                                        + u", falling back to UTF-8");
            encoding = kEncodingUtf8;
            break;
        }
    }
    VLOG << u"Writing file " << source->path() << u" with encoding " << encodingName(encoding);
    std::unique_ptr<OutStream> stream = source->openOutStream();
    if (!stream)
        return false;
    bool ok = true;
    const std::string bom = encodingHasBom(encoding) ? bomBytes(encoding) : std::string();
    if (!bom.empty())
        ok = stream->write(bom.data(), bom.size()) == bom.size();
    ChunkWriter writer(*stream, encoding);
    const ustring& lineEnding = lineEndingText(m_lineEnding);
    for (auto it = m_tokenList.begin(); it != m_tokenList.end(); ++it) {
        const Token* token = *it;
        if (token->isLineBreak())
            writer.append(lineEnding.data(), lineEnding.data() + lineEnding.size());
        else
            writer.append(token->begin, token->end);
    }
    ok = writer.finish() && ok;
    if (!ok || !stream->commit())
        return false;
    m_encoding = encoding;
    return true;
}
