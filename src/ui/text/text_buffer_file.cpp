// Loading, reverting and saving a text buffer. A read never blocks the main
// thread: the source fills a fresh token storage on its own thread, and the
// finished storage is swapped in on the main thread when the source's
// completion arrives. Until then the buffer refuses edits.
//
// A revert keeps showing the old text while the file is read again and
// builds its whole undo group only when the read has ended: the erasure of
// the old text and the insertion of the new one, in one group made after
// anything the user did meanwhile (a click, a caret move), so that one undo
// always takes the revert back whatever happened during the read. A revert
// whose read fails leaves the text, and so the dirty state, untouched. A
// read that ends while a command holds an undo group open waits for the
// group to close, so that the revert never becomes part of the command.
//
// A load that fails leaves the buffer empty and without its source: an
// empty text bound to the file could otherwise be saved over it.
#include "ui/text/text_buffer.h"

#include "ui/log.h"
#include "ui/notification_manager.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_state.h"

void TextBuffer::clear()
{
    VASSERT(m_constructionDepth == 0);
    // Cancelling also drops a completion already waiting in the queue.
    if (m_isReading && m_source)
        m_source->cancelRead();
    m_isReading = false;
    m_isReverting = false;
    m_deferredRevert.reset();
    m_source.reset();
    clearUndoHistory();
    m_bookmarks.clear();
    clearDependentRegions();
    // Moving everything to 0 keeps the tracked points, fields and history
    // inside the (now empty) text.
    const int64_t oldSize = size();
    if (oldSize > 0) {
        m_tokenStorage->erase(SelectionRegion(0, oldSize));
        notifyTextChanged(0, -oldSize);
        ++m_changeCount;
    }
    for (ViewState* state : m_viewStates) {
        SelectionSet& selection = state->mutableSel();
        selection.clear();
        selection.add(SelectionRegion(0));
        state->mutableNamedRegions().clear();
    }
}

bool TextBuffer::load(std::unique_ptr<BufferSource> source)
{
    clear();
    m_source = std::move(source);
    if (!m_source)
        return false;
    m_isReverting = false;
    if (startRead())
        return true;
    ReadResult failure;
    failure.status = ReadStatus::openFailed;
    onReadComplete(std::move(failure));
    return false;
}

bool TextBuffer::revert()
{
    if (!m_source || m_isReading || m_constructionDepth != 0)
        return false;
    m_isReverting = true;
    if (startRead())
        return true;
    m_isReverting = false;
    ReadResult failure;
    failure.status = ReadStatus::openFailed;
    reportReadFailure(failure);
    return false;
}

bool TextBuffer::startRead()
{
    auto storage = std::make_unique<TokenStorage>();
    storage->setSyntax(m_tokenStorage->syntax());
    storage->setScopeStyler(m_tokenStorage->scopeStyler());
    // An empty file keeps the line ending the options give new text.
    if (m_tokenStorage->lineEndingIsDefault())
        storage->setDefaultLineEnding(m_tokenStorage->lineEnding());
    // Set before the thread starts: a source that fails at once may call
    // back before startRead returns.
    m_isReading = true;
    // The source owns the read and drops its completion when it is
    // cancelled or destroyed, which the buffer does before it goes.
    if (m_source->startRead(std::move(storage), m_fallbackEncoding,
                            [this](ReadResult result) { onReadComplete(std::move(result)); }))
        return true;
    m_isReading = false;
    return false;
}

void TextBuffer::onReadComplete(ReadResult result)
{
    VASSERT(m_source);
    if (m_isReverting && m_constructionDepth != 0) {
        // Still reading, to the user, until endUndoGroup applies it.
        m_deferredRevert = std::make_unique<ReadResult>(std::move(result));
        return;
    }
    m_isReading = false;
    const bool reverting = m_isReverting;
    m_isReverting = false;

    if (result.status != ReadStatus::completed || !result.storage) {
        reportReadFailure(result);
        // A revert keeps its text. A failed load would leave an empty text
        // bound to the file; without the source it can only be saved under
        // a new name.
        if (!reverting)
            m_source.reset();
        return;
    }
    m_readError.clear();
    result.storage->setSpellChecker(m_tokenStorage->spellChecker());

    if (!reverting) {
        replaceTokenStorage(std::move(result.storage));
        notifyLoaded();
        return;
    }

    // The whole revert is one group, made now: the snapshot holds the
    // selections as the user left them during the read.
    m_mergeAllowed = false;
    beginUndoGroup(u"revert");
    const int64_t oldSize = size();
    if (oldSize > 0) {
        UndoAction erasure;
        erasure.kind = UndoAction::Kind::Erasure;
        erasure.region = SelectionRegion(0);
        erasure.text = CompactCharacterBuffer(m_tokenStorage->str());
        m_constructionUndoActionGroup->actions.push_back(std::move(erasure));
    }
    // The mirrors of a snippet end with the text they mirrored; undoing the
    // revert brings them back from the group's snapshot.
    m_dependentRegions.clear();
    replaceTokenStorage(std::move(result.storage));
    notifyTextChanged(0, -oldSize);
    const int64_t newSize = size();
    if (newSize > 0) {
        UndoAction insertion;
        insertion.kind = UndoAction::Kind::Insertion;
        insertion.region = SelectionRegion(0, newSize);
        m_constructionUndoActionGroup->actions.push_back(std::move(insertion));
    }
    endUndoGroup(false, false);
    // The text is now the file's.
    markSaved();
    notifyLoaded();
}

void TextBuffer::applyDeferredRevert()
{
    if (!m_deferredRevert || m_constructionDepth != 0)
        return;
    std::unique_ptr<ReadResult> result = std::move(m_deferredRevert);
    onReadComplete(std::move(*result));
}

void TextBuffer::replaceTokenStorage(std::unique_ptr<TokenStorage> storage)
{
    // Renderers point into the storage: every view lets its renderer go
    // before the old storage is deleted, and takes a new one afterwards.
    for (TextBufferView* view : m_views)
        view->dropRenderer();
    m_tokenStorage = std::move(storage);
    m_lexAhead.attach(m_tokenStorage.get());
    m_lexAhead.wake();
    ++m_changeCount;
    for (TextBufferView* view : m_views)
        view->attachRenderer();
}

void TextBuffer::reportReadFailure(const ReadResult& result)
{
    const ustring path = m_source ? m_source->path() : ustring();
    m_readError = u"Unable to open " + path;
    VLOG << m_readError << (result.error.empty() ? ustring() : u": " + result.error);
    if (NotificationManager::alive())
        NotificationManager::get().displayError(m_readError);
}

bool TextBuffer::save(FileEncoding encoding, bool overwriteUndecodable)
{
    if (m_isReading)
        return false;
    callListeners(m_onPreSave);
    const bool ok = m_source && m_tokenStorage->write(m_source.get(), encoding, overwriteUndecodable);
    if (ok)
        markSaved();
    m_mergeAllowed = false;
    callListeners(m_onPostSave);
    return ok;
}
