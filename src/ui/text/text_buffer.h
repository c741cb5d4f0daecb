// One document: its text (a TokenStorage), where it came from (a
// BufferSource), its undo history, the view states that show it, bookmarks,
// snippet mirrors and the listeners the window and the plug-in host hang on
// it.
//
// Every edit of the text goes through insertCharacters and eraseCharacters.
// Both record undo information, keep every selection, bookmark, tracked point
// and mirror of every view state in step with the text, and count the change.
// Commands run between beginUndoGroup and endUndoGroup (see
// scoped_undo_group.h); nested pairs fold into the outermost group.
//
// Shared through slate::SP<TextBuffer>. Main thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_set>
#include <utility>
#include <vector>

#include "ui/flag_set.h"
#include "ui/reference_counted.h"
#include "ui/text/buffer_options.h"
#include "ui/text/dependent_region.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/indent_pattern_cache.h"
#include "ui/text/read_job.h"
#include "ui/text/selection_set.h"
#include "ui/text/spell_checker.h"
#include "ui/text/token/lex_ahead.h"
#include "ui/text/token/token_storage.h"
#include "ui/text/undo.h"
#include "ui/ustring.h"

// What TextBuffer::displayName puts into a name, combined with |.
enum class DisplayNameFlags : uint32_t {
    None = 0,
    FullPath = 1,   // the source's full path, else its file name
    DirtyMark = 2,  // "*" when the buffer is dirty
    BufferName = 4, // the buffer's own name when there is no source
    Encoding = 8,   // the encoding's name in parentheses, when it is known
};
template <>
struct FlagSetEnabled<DisplayNameFlags> : std::true_type {};

class Canvas;
class TextBufferView;
class ViewState;

// `expandTabs` of a text: each tab becomes blanks up to the next tab stop
// (or `tabSize` blanks without tab stops), counting columns from
// `startColumn`; a line feed starts the count again at 0.
ustring expandTabs(const slate::usubstring& text, int32_t tabSize, int32_t startColumn,
                   bool useTabStops);

class TextBuffer : public SpellingListener, public slate::ReferenceCounted<TextBuffer> {
public:
    using Listener = std::function<void()>;

    // A buffer holding `[begin, end)` (both null: empty).
    explicit TextBuffer(const uchar* begin = nullptr, const uchar* end = nullptr);
    ~TextBuffer() override;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // View states. Every view state of the buffer is made here and listed
    // until it dies (it removes itself).
    slate::SP<ViewState> createViewState();
    void removeViewState(ViewState* state);
    const std::vector<ViewState*>& viewStates() const { return m_viewStates; }

    // Views. A view made here draws with the fonts of `canvas` (never null)
    // and is listed until it dies (it removes itself). Defined beside the
    // view.
    slate::SP<TextBufferView> createView(Canvas* canvas);
    void removeView(TextBufferView* view);
    const std::vector<TextBufferView*>& views() const { return m_views; }

    // Editing. Both do nothing on a read-only or reading buffer.
    //
    // Inserts the text at `position` and returns the number of units
    // inserted. Tabs become blanks when tab translation is on, unless
    // `literal`. A position outside [0, size] is refused: 0, and nothing is
    // recorded or moved.
    int32_t insertCharacters(int64_t position, const uchar* begin, const uchar* end, bool literal);
    int32_t insertCharacters(int64_t position, const ustring& text, bool literal = false)
    {
        return insertCharacters(position, text.data(), text.data() + text.size(), literal);
    }
    // Erases the region's text, clamped to the text; a reversed region is
    // erased as its forward form. Nothing happens (not even an undo group)
    // when nothing is left to erase.
    void eraseCharacters(const SelectionRegion& region);

    bool isReading() const { return m_isReading; }
    // Moves on with every insertion and erasure; callers compare two readings.
    uint32_t changeCount() const { return m_changeCount; }
    bool isReadOnly() const { return m_readOnly || m_isReading; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }
    // Takes ownership of `source` (may be null) and deletes the old one. Not
    // while reading.
    void setSource(std::unique_ptr<BufferSource> source);
    BufferSource* source() const { return m_source.get(); }
    // The buffer's own name (given by plug-ins or a session); may be empty.
    const ustring& name() const { return m_name; }
    // The encoding the text was read with or last saved in; 0 when unknown.
    FileEncoding encoding() const { return m_tokenStorage->encoding(); }
    bool canRevert() const { return m_source && !m_isReading; }
    // The fraction of the running load read so far, from 0 to 1; 1 when no
    // load is running.
    double readProgress() const
    {
        if (!m_isReading)
            return 1.0;
        return m_source ? m_source->readProgress() : 0.0;
    }
    // Whether the text is checked for spelling (the storage holds a checker).
    bool hasSpellChecker() const { return static_cast<bool>(m_tokenStorage->spellChecker()); }

    // Text queries, forwarded to the token storage.
    int64_t size() const { return m_tokenStorage->size(); }
    ustring str() const { return m_tokenStorage->str(); }
    ustring substr(const SelectionRegion& region) const { return m_tokenStorage->substr(region); }
    uchar charAt(int64_t position) { return m_tokenStorage->charAt(position); }
    int32_t newlineCount(const SelectionRegion& region) const
    {
        return m_tokenStorage->newlineCount(region);
    }
    int32_t lineBreakCount() const { return m_tokenStorage->lineBreakCount(); }
    void rowcol(int64_t position, int32_t& row, int32_t& column) const
    {
        m_tokenStorage->rowcol(position, row, column);
    }
    int64_t textPoint(int32_t row, int32_t column) { return m_tokenStorage->textPoint(row, column); }
    SelectionRegion find(const ustring& pattern, uint32_t flags, int64_t start,
                         const ustring* format = nullptr, std::vector<ustring>* formatted = nullptr)
    {
        return m_tokenStorage->find(pattern, flags, start, format, formatted);
    }
    void findAll(const ustring& pattern, uint32_t flags, SelectionSet& out,
                 const ustring* format = nullptr, std::vector<ustring>* formatted = nullptr)
    {
        m_tokenStorage->findAll(pattern, flags, out, format, formatted);
    }
    void findAllIn(const ustring& pattern, uint32_t flags, const SelectionSet& regions,
                   SelectionSet& out, const ustring* format = nullptr,
                   std::vector<ustring>* formatted = nullptr)
    {
        m_tokenStorage->findAllIn(pattern, flags, regions, out, format, formatted);
    }
    slate::usubstring syntaxName(int64_t position) { return m_tokenStorage->scopeNameAt(position); }
    const ScopeRecord* metaInfo(int64_t position) { return m_tokenStorage->scopeAt(position); }
    bool matchSelector(int64_t position, const ustring& selector)
    {
        return m_tokenStorage->matchSelector(position, selector);
    }
    SelectionRegion extractScope(int64_t position, bool atPosition)
    {
        return m_tokenStorage->extractScope(position, atPosition);
    }
    void getSymbols(const RegexSelectorSet& selectors, const RegexSelectorSet& exclusions,
                    std::vector<std::pair<SelectionRegion, int>>& out)
    {
        m_tokenStorage->getSymbols(selectors, exclusions, out);
    }
    void extractCompletions(int64_t position, const ustring& prefix, std::vector<ustring>& out)
    {
        m_tokenStorage->extractCompletions(position, prefix, m_wordSeparators, out);
    }
    // Spelling over the whole text; see TokenStorage::misspelledCount.
    int32_t misspelledWordCount() { return m_tokenStorage->misspelledCount(); }
    // The same for a display asked every frame, lexing a step at a time; see
    // TokenStorage::misspelledCountInSteps.
    int32_t misspelledWordCountInSteps(bool& settled)
    {
        return m_tokenStorage->misspelledCountInSteps(TokenStorage::kMisspelledCountLexStep, settled);
    }
    void misspelledWords(SelectionSet& out) { m_tokenStorage->misspelledWords(out); }
    // For a misspelled word at `position`: its region and the suggestions;
    // see TokenStorage::spellingSuggestionsAt.
    bool misspelledWordAt(int64_t position, std::vector<ustring>& suggestions, SelectionRegion& region)
    {
        return m_tokenStorage->spellingSuggestionsAt(position, region, suggestions);
    }
    SelectionRegion nextMisspelledWord(int64_t position)
    {
        return m_tokenStorage->nextMisspelledWord(position);
    }
    SelectionRegion previousMisspelledWord(int64_t position)
    {
        return m_tokenStorage->previousMisspelledWord(position);
    }
    bool spellingSuggestionsAt(int64_t position, SelectionRegion& region,
                               std::vector<ustring>& suggestions)
    {
        return m_tokenStorage->spellingSuggestionsAt(position, region, suggestions);
    }
    LineEnding lineEnding() const { return m_tokenStorage->lineEnding(); }
    // Also stops the default line-ending option from overriding it.
    void setLineEnding(LineEnding ending) { m_tokenStorage->setLineEnding(ending); }
    // The display name of the storage's syntax; empty for the default one.
    const ustring& syntaxDisplayName() const;

    // Loading, saving and reverting (text_buffer_file.cpp).
    //
    // Empties the buffer: cancels a running read, drops the source, the
    // undo history, the bookmarks, every view state's selection (a caret at
    // 0) and named regions, and the text. Not while an undo group is open.
    void clear();
    // Clears the buffer and reads `source` (taken over) on its thread. While
    // the read runs the buffer is empty and read-only; when it ends the text
    // is swapped in and the load listeners run once. False when no read
    // could be started: then the failure is reported and the buffer is left
    // empty without a source, as after a failed read, so that nothing can be
    // saved over the file it failed to read.
    bool load(std::unique_ptr<BufferSource> source);
    // Reads the source again, as one undoable step ("revert") that replaces
    // the whole text when the read ends; the text stays as it is (and
    // read-only) while the file is read, and stays as it was when the read
    // fails. Nothing happens without a source, while reading, or inside an
    // undo group; false then, and when no read could be started.
    bool revert();
    // Writes the text through the source with `encoding` (0: the storage's
    // own); see TokenStorage::write for `overwriteUndecodable`. True only
    // when every byte reached the file: then the buffer counts as saved.
    // Refused (false, no listener called) while reading. A buffer without a
    // source writes nothing, returns false and stays dirty: it must be saved
    // under a name first.
    bool save(FileEncoding encoding = kEncodingUndefined, bool overwriteUndecodable = false);
    // Why the last read failed ("Unable to open " and the path); empty when
    // it succeeded or none ended yet. The same text is shown as an error
    // through the notification manager when that is alive.
    const ustring& readError() const { return m_readError; }

    // Session settings (text_buffer_session.cpp): the buffer's name, flags,
    // line ending and bookmarks in a session node. The last three are read
    // back only when the text still has the size it had when written.
    void writeSettings(const slate::SP<Options>& node) const;
    void readSettings(slate::SP<Options> node);
    // readSettings once the next load has ended (so that the size compared
    // is the loaded text's): appended to the load listeners.
    void readSettingsWhenLoaded(slate::SP<Options> node);

    // Takes the buffer settings of `options` (see readBufferOptions): tab
    // handling, word separators, bracket kinds, the fallback encoding, the
    // spell checker (from the spell checker manager when it is alive) and
    // the line ending of a new, unsaved text.
    void applyOptions(const Options& options);
    // The bracket pair around or touching `position` of the kinds in
    // m_matchBrackets, searching at most `searchLimit` units each way;
    // (0, 0) when there is none.
    SelectionRegion findMatchingBracket(int64_t position, int32_t searchLimit);

    // Names shown to the user, made as the flags ask; with no source and no
    // usable name, "untitled".
    ustring displayName(DisplayNameFlags flags) const;
    ustring title() const;

    // Listener lists, called in order. The load listeners run once: the
    // list is emptied after each load.
    void addLoadListener(Listener listener, bool atFront = false);
    void addPreSaveListener(Listener listener) { m_onPreSave.push_back(std::move(listener)); }
    void addPostSaveListener(Listener listener) { m_onPostSave.push_back(std::move(listener)); }
    void addModifiedListener(Listener listener) { m_onModified.push_back(std::move(listener)); }
    void addSelectionModifiedListener(Listener listener)
    {
        m_onSelectionModified.push_back(std::move(listener));
    }
    void addSyntaxChangeListener(Listener listener) { m_onSyntaxChange.push_back(std::move(listener)); }
    // Runs the load listeners, then forgets them.
    void notifyLoaded();
    // Called by a view just before it changes the buffer's syntax.
    void notifySyntaxChange() { callListeners(m_onSyntaxChange); }

    // The identity of the interned copy of a region name; stable for the
    // buffer's life.
    const ustring* internRegionName(const ustring& name);

    // Snippet mirrors. Source and destination must be forward regions
    // inside the text.
    void addDependentRegion(const SelectionRegion& source, const SelectionRegion& destination,
                            SharedRegexTransform transform, bool keepEmptyDestination);
    void clearDependentRegions();
    const std::vector<DependentRegion>& dependentRegions() const { return m_dependentRegions; }
    // Rewrites every dirty mirror from its source, inside the group being
    // closed.
    void updateDependentText();

    // Undo groups. Every command runs between one begin and one end; nested
    // pairs fold into the outermost group, and only the outermost end
    // stores the group and calls the listeners. `allowMerge` lets the next
    // group merge into this one; `forceKeep` keeps it even when nothing
    // changed.
    void beginUndoGroup(const slate::usubstring& commandText);
    void endUndoGroup(bool allowMerge, bool forceKeep);
    // How many groups are open; 0 while no command is running on the buffer.
    int32_t undoGroupDepth() const { return m_constructionDepth; }

    // One group back or forward, whatever it changed.
    void softUndo();
    void softRedo();
    // Back or forward until a group that changed the text has been passed.
    void undo();
    void redo();
    bool canUndo() const { return m_undoStack.hasModifying(); }
    bool canRedo() const { return m_redoStack.hasModifying(); }
    bool canSoftUndo() const { return !m_undoStack.empty() || !m_pendingStack.empty(); }
    bool canSoftRedo() const { return !m_redoStack.empty(); }
    // Whether the last history step replayed a text change (until the next
    // group closes).
    bool historyReplayed() const { return m_historyReplayed; }

    // The text differs from what was last saved (never for scratch buffers).
    bool isDirty() const;
    // What a successful save does: the text as it is now counts as saved.
    void markSaved() { m_savedMarker = m_undoStack.modifyingCount(); }
    // The buffer stays dirty until the next save.
    void markModified() { m_savedMarker = -1; }
    // The next group will not merge into the last one.
    void breakUndoMerge() { m_mergeAllowed = false; }
    // Forgets the whole history; no group may be open.
    void clearUndoHistory();

    // The newest group that changed the text: its command text and repeat
    // count; an empty text and 0 when there is none.
    std::pair<ustring, int32_t> lastCommand();

    void markUndoGroupsForGluing();
    // Joins the groups made since the mark into one "sequence" group.
    void glueMarkedUndoGroups();

    void beginMacroRecording();
    bool isRecordingMacro() const { return m_macroMarker != -1; }
    // The command texts of the groups made since recording began, each as
    // many times as it ran; ends the recording.
    std::vector<ustring> takeRecordedCommands();

    // Provisional groups made while a key sequence is still pending.
    void beginPrediction();
    bool isPredicting() const { return m_predictionMarker != -1; }
    void commitPrediction();
    void cancelPrediction();

    const UndoStack& undoStack() const { return m_undoStack; }
    const UndoStack& redoStack() const { return m_redoStack; }
    const UndoStack& pendingStack() const { return m_pendingStack; }

    // The compiled indentation patterns of the automatic indentation.
    IndentPatternCache& indentPatterns() { return m_indentPatterns; }

    // SpellingListener.
    void spellingChanged() override;

    // Read and written directly by views, commands, the window and plug-ins.
    const int32_t m_id;
    ustring m_name; // used when there is no source
    bool m_scratch = false; // never reported dirty
    std::unique_ptr<TokenStorage> m_tokenStorage; // never null
    // Lexes the storage's stale text in the background; woken by every edit
    // and load.
    LexAhead m_lexAhead;
    ustring m_wordSeparators;
    SelectionSet m_bookmarks;
    // Bumped by every insertion and erasure that reaches the storage.
    uint32_t m_changeCount = 0;

    // Buffer settings.
    bool m_autoIndent = true;
    bool m_trimAutomaticWhitespace = true;
    bool m_translateTabsToSpaces = false;
    bool m_useTabStops = true;
    int32_t m_tabSize = 4;
    uint32_t m_matchBrackets = 1;
    FileEncoding m_fallbackEncoding = 1;

private:
    friend class UndoActionGroup;

    // Moves the selections and regions of every view state, the bookmarks
    // and the mirrors after a change: `delta` > 0 inserted that many units
    // at `position`, < 0 erased that many from it.
    void notifyTextChanged(int64_t position, int64_t delta);
    // Reverses the top group of `source` and pushes the reversing group on
    // `target`.
    void moveGroup(UndoStack& source, UndoStack& target);
    // Replays `group` backwards into the group under construction and
    // restores the state it recorded.
    void applyInverse(const UndoActionGroup& group);
    void callListeners(const std::vector<Listener>& listeners);
    void resetMarkersAboveUndoStack();
    const ustring* internCommandText(const slate::usubstring& text);

    // Loading and reverting (text_buffer_file.cpp).
    //
    // Starts reading the source into a fresh storage with this text's
    // syntax and styler; false (reading not started) when no thread could
    // be started.
    bool startRead();
    // The source's completion, on the main thread.
    void onReadComplete(ReadResult result);
    // Completes a deferred revert once no undo group is open.
    void applyDeferredRevert();
    // Puts `storage` in place of the text, without touching the undo
    // history or any region; the views must follow the new storage.
    void replaceTokenStorage(std::unique_ptr<TokenStorage> storage);
    void reportReadFailure(const ReadResult& result);

    IndentPatternCache m_indentPatterns;
    std::unique_ptr<BufferSource> m_source; // null: not from a file
    bool m_isReading = false; // a load is running
    bool m_isReverting = false; // the running read is a revert, not a load
    // A revert whose read ended while an undo group was open (a command
    // pumping the main-thread queue in a modal loop): applied, and reading
    // ended, once the last group closes. Its group must not nest in theirs.
    std::unique_ptr<ReadResult> m_deferredRevert;
    ustring m_readError; // of the last read that ended; empty after a success
    bool m_readOnly = false;

    std::vector<TextBufferView*> m_views; // not owned, in creation order; each removes itself
    std::vector<ViewState*> m_viewStates; // not owned; each removes itself when it dies

    // Interned names of named regions; node-based, so addresses are stable.
    std::unordered_set<ustring> m_regionNames;
    std::vector<DependentRegion> m_dependentRegions; // in the order added
    bool m_isUpdatingDependentText = false;

    CommandTextSet m_commandTexts;
    UndoStack m_undoStack;
    // Selection-only groups made while something could still be redone, so
    // that moving the caret does not throw the redo history away.
    UndoStack m_pendingStack;
    UndoStack m_redoStack;
    std::unique_ptr<UndoActionGroup> m_constructionUndoActionGroup; // null outside groups
    int32_t m_constructionDepth = 0;
    bool m_mergeAllowed = false;

    // Markers count groups on the undo stack; -1 means none. The saved
    // marker compares with its modifying count, the others with its size.
    int32_t m_savedMarker = 0;
    int32_t m_macroMarker = -1;
    int32_t m_glueMarker = -1;
    int32_t m_predictionMarker = -1;
    bool m_mergeAllowedBeforePrediction = false;
    bool m_historyReplayed = false;

    std::vector<Listener> m_onLoad;
    std::vector<Listener> m_onPreSave;
    std::vector<Listener> m_onPostSave;
    std::vector<Listener> m_onModified;
    std::vector<Listener> m_onSelectionModified;
    std::vector<Listener> m_onSyntaxChange;
};
