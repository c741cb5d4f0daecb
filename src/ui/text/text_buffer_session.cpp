// A buffer's keys in a saved session. The name and the scratch flag always
// come back; the read-only flag, the line ending and the bookmarks describe
// one version of the file and come back only when the text still has the
// size recorded with them, so that positions saved for another version are
// never applied. Restored bookmarks are clamped to the text all the same:
// the session file is outside data.
#include "ui/text/text_buffer.h"

#include "ui/options.h"
#include "ui/text/line_ending.h"
#include "ui/text/region_set_settings.h"

void TextBuffer::writeSettings(const slate::SP<Options>& node) const
{
    // An earlier write into the same node must not bring back a cleared
    // name or removed bookmarks.
    eraseKeysStartingWith(*node, {u"bookmarks["});
    node->setInt64("bufferSize", size());
    if (m_name.empty())
        node->erase(ustring(u"name"));
    else
        node->set("name", m_name);
    node->setBool("readOnly", m_readOnly);
    node->setBool("scratch", m_scratch);
    node->set("lineEnding", lineEndingName(m_tokenStorage->lineEnding()));
    writeRegionSet(*node, u"bookmarks", m_bookmarks);
}

void TextBuffer::readSettings(slate::SP<Options> node)
{
    node->getString("name", m_name);
    node->getBool("scratch", m_scratch);
    int64_t recordedSize = 0;
    node->getInt64("bufferSize", recordedSize);
    if (recordedSize != size())
        return;

    node->getBool("readOnly", m_readOnly);
    ustring lineEndingText;
    LineEnding ending = kLineEndingWindows;
    if (node->getString("lineEnding", lineEndingText)
        && lineEndingFromName(slate::usubstring(lineEndingText), ending))
        m_tokenStorage->setLineEnding(ending);

    SelectionSet bookmarks;
    readRegionSet(*node, u"bookmarks", bookmarks);
    bookmarks.clamp(0, size());
    // Through clear and addAll rather than assignment, so that the change
    // counter moves on and observers see the new set.
    m_bookmarks.clear();
    m_bookmarks.addAll(bookmarks);
}

void TextBuffer::readSettingsWhenLoaded(slate::SP<Options> node)
{
    addLoadListener([this, node] { readSettings(node); });
}
