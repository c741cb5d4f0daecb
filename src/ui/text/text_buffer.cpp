// The text buffer's editing core: the two operations every change of the
// text goes through, and what they keep in step. An insertion or erasure
// opens an undo group (which folds into the command's own group when one is
// open), lets the mirrors see the change coming, changes the token storage,
// records the undo action, moves every view state, the bookmarks and the
// mirrors, closes the group and counts the change.
//
// Positions are checked before anything happens: an edit outside the text is
// refused (insertion) or clamped (erasure) up front, so a refused edit leaves
// no undo action behind, moves no region and counts no change. The undo
// machinery itself is in text_buffer_undo.cpp.
#include "ui/text/text_buffer.h"

#include <algorithm>

#include "ui/log.h"
#include "ui/statistics.h"
#include "ui/text/bracket_matching.h"
#include "ui/text/encoding.h"
#include "ui/text/view_state.h"
#include "ui/unique_id.h"

ustring expandTabs(const slate::usubstring& text, int32_t tabSize, int32_t startColumn,
                   bool useTabStops)
{
    ustring out;
    out.reserve(text.size());
    int64_t column = startColumn;
    const int64_t size = std::max(tabSize, 1);
    for (const uchar* p = text.begin; p != text.end; ++p) {
        if (*p == u'\t') {
            const int64_t blanks = useTabStops ? size - column % size : size;
            out.append(static_cast<size_t>(blanks), u' ');
            column += blanks;
        } else {
            out.push_back(*p);
            column = *p == u'\n' ? 0 : column + 1;
        }
    }
    return out;
}

TextBuffer::TextBuffer(const uchar* begin, const uchar* end)
    : m_id(nextUniqueId()),
      m_tokenStorage(begin ? std::make_unique<TokenStorage>(begin, end)
                           : std::make_unique<TokenStorage>()),
      m_wordSeparators(defaultWordSeparators())
{
    m_lexAhead.attach(m_tokenStorage.get());
    if (SpellCheckerManager::alive())
        SpellCheckerManager::get().addListener(this);
}

TextBuffer::~TextBuffer()
{
    // Cancelling also drops a completion already waiting in the main-thread
    // queue, so that it never reaches a dead buffer.
    if (m_isReading && m_source)
        m_source->cancelRead();
    m_isReading = false;
    m_constructionUndoActionGroup.reset();
    m_pendingStack.clear();
    m_undoStack.clear();
    m_redoStack.clear();
    if (SpellCheckerManager::alive())
        SpellCheckerManager::get().removeListener(this);
}

slate::SP<ViewState> TextBuffer::createViewState()
{
    slate::SP<ViewState> state(new ViewState(slate::SP<TextBuffer>(this)));
    m_viewStates.push_back(state.get());
    return state;
}

void TextBuffer::removeViewState(ViewState* state)
{
    auto it = std::find(m_viewStates.begin(), m_viewStates.end(), state);
    if (it != m_viewStates.end())
        m_viewStates.erase(it);
}

int32_t TextBuffer::insertCharacters(int64_t position, const uchar* begin, const uchar* end,
                                     bool literal)
{
    if (isReadOnly())
        return 0;
    // The storage would refuse it too, but only after the group, the mirrors
    // and the regions had been told of it.
    if (position < 0 || position > size())
        return 0;

    beginUndoGroup(u"insertCharacters");

    ustring expanded;
    if (m_translateTabsToSpaces && !literal && std::find(begin, end, u'\t') != end) {
        int32_t row = 0;
        int32_t column = 0;
        if (m_useTabStops)
            rowcol(position, row, column);
        expanded = expandTabs(slate::usubstring(begin, end), m_tabSize, column, m_useTabStops);
        begin = expanded.data();
        end = expanded.data() + expanded.size();
    }

    prepareDependentRegions(m_dependentRegions, m_isUpdatingDependentText,
                            SelectionRegion(position));
    m_tokenStorage->insert(position, begin, end);
    m_lexAhead.wake();

    const int64_t inserted = end - begin;
    if (m_constructionUndoActionGroup) {
        UndoAction action;
        action.kind = UndoAction::Kind::Insertion;
        action.region = SelectionRegion(position, position + inserted);
        m_constructionUndoActionGroup->actions.push_back(std::move(action));
    }
    notifyTextChanged(position, inserted);
    endUndoGroup(false, false);
    ++m_changeCount;
    return static_cast<int32_t>(inserted);
}

void TextBuffer::eraseCharacters(const SelectionRegion& region)
{
    if (isReadOnly())
        return;
    const int64_t b = std::max<int64_t>(region.begin(), 0);
    const int64_t e = std::min<int64_t>(region.end(), size());
    // A region wholly past the end clamps to b > e: nothing to erase either.
    if (b >= e)
        return;
    const SelectionRegion erased(b, e);

    beginUndoGroup(u"eraseCharacters");
    if (m_constructionUndoActionGroup) {
        UndoAction action;
        action.kind = UndoAction::Kind::Erasure;
        action.region = SelectionRegion(b);
        action.text = CompactCharacterBuffer(m_tokenStorage->substr(erased));
        m_constructionUndoActionGroup->actions.push_back(std::move(action));
    }
    prepareDependentRegions(m_dependentRegions, m_isUpdatingDependentText, erased);
    m_tokenStorage->erase(erased);
    m_lexAhead.wake();
    notifyTextChanged(b, -(e - b));
    endUndoGroup(false, false);
    ++m_changeCount;
}

void TextBuffer::notifyTextChanged(int64_t position, int64_t delta)
{
    if (delta == 0)
        return;
    for (ViewState* state : m_viewStates)
        state->adjustForChange(position, delta, m_isUpdatingDependentText);
    if (delta > 0)
        m_bookmarks.adjustForInsert(position, delta, false, true);
    else
        m_bookmarks.adjustForErase(SelectionRegion(position, position - delta), true);
    adjustDependentRegions(m_dependentRegions, m_isUpdatingDependentText, position, delta);
}

void TextBuffer::setSource(std::unique_ptr<BufferSource> source)
{
    VASSERT(!isReading());
    m_source = std::move(source);
}

const ustring& TextBuffer::syntaxDisplayName() const
{
    static const ustring s_none;
    const slate::SP<Syntax>& syntax = m_tokenStorage->syntax();
    return syntax ? syntax->name() : s_none;
}

void TextBuffer::applyOptions(const Options& options)
{
    BufferOptions settings;
    settings.fallbackEncoding = m_fallbackEncoding;
    settings.wordSeparators = m_wordSeparators;
    settings.matchBrackets = m_matchBrackets;
    settings.autoIndent = m_autoIndent;
    settings.trimAutomaticWhitespace = m_trimAutomaticWhitespace;
    settings.translateTabsToSpaces = m_translateTabsToSpaces;
    settings.useTabStops = m_useTabStops;
    settings.tabSize = m_tabSize;
    readBufferOptions(options, settings);

    m_fallbackEncoding = settings.fallbackEncoding;
    m_wordSeparators = settings.wordSeparators;
    m_matchBrackets = settings.matchBrackets;
    m_autoIndent = settings.autoIndent;
    m_trimAutomaticWhitespace = settings.trimAutomaticWhitespace;
    m_translateTabsToSpaces = settings.translateTabsToSpaces;
    m_useTabStops = settings.useTabStops;
    m_tabSize = settings.tabSize;
    if (settings.spellCheck) {
        ScopedTimer timer(g_statLoadDictionary);
        m_tokenStorage->setSpellChecker(SpellCheckerManager::alive()
                                            ? SpellCheckerManager::get().spellChecker(settings.dictionary)
                                            : nullptr);
    } else {
        m_tokenStorage->setSpellChecker(nullptr);
    }
    m_tokenStorage->setDefaultLineEnding(settings.defaultLineEnding);
}

SelectionRegion TextBuffer::findMatchingBracket(int64_t position, int32_t searchLimit)
{
    return ::findMatchingBracket(*m_tokenStorage, position, searchLimit, m_matchBrackets);
}

ustring TextBuffer::displayName(DisplayNameFlags flags) const
{
    ustring name;
    if (m_source)
        name = hasFlag(flags, DisplayNameFlags::FullPath) ? m_source->path() : m_source->displayName();
    else if (hasFlag(flags, DisplayNameFlags::BufferName) && !m_name.empty())
        name = m_name;
    if (name.empty())
        name = u"untitled";
    if (hasFlag(flags, DisplayNameFlags::DirtyMark) && isDirty())
        name += u"*";
    const FileEncoding encoding = m_tokenStorage->encoding();
    if (hasFlag(flags, DisplayNameFlags::Encoding) && encoding != kEncodingUndefined)
        name += u" (" + encodingName(encoding) + u")";
    return name;
}

ustring TextBuffer::title() const
{
    ustring name;
    if (m_source)
        name = m_source->displayName();
    else if (!m_name.empty())
        name = m_name;
    else
        name = u"untitled";
    if (isDirty())
        name += u"*";
    return name;
}

void TextBuffer::addLoadListener(Listener listener, bool atFront)
{
    if (atFront)
        m_onLoad.insert(m_onLoad.begin(), std::move(listener));
    else
        m_onLoad.push_back(std::move(listener));
}

void TextBuffer::notifyLoaded()
{
    // Taken out first: a listener may add listeners for the next load.
    std::vector<Listener> listeners;
    listeners.swap(m_onLoad);
    callListeners(listeners);
}

void TextBuffer::callListeners(const std::vector<Listener>& listeners)
{
    // By index: a listener may append to the list it is called from.
    for (size_t i = 0; i < listeners.size(); ++i)
        listeners[i]();
}

const ustring* TextBuffer::internRegionName(const ustring& name)
{
    return &*m_regionNames.insert(name).first;
}

void TextBuffer::addDependentRegion(const SelectionRegion& source,
                                    const SelectionRegion& destination,
                                    SharedRegexTransform transform, bool keepEmptyDestination)
{
    VASSERT(!source.isReversed());
    VASSERT(!destination.isReversed());
    VASSERT(source.b <= size());
    VASSERT(destination.b <= size());
    m_dependentRegions.emplace_back(source, destination, std::move(transform),
                                    keepEmptyDestination);
}

void TextBuffer::clearDependentRegions()
{
    VASSERT(!m_isUpdatingDependentText);
    m_dependentRegions.clear();
}

void TextBuffer::updateDependentText()
{
    m_isUpdatingDependentText = true;
    // By index: the edits below may remove records (never while updating,
    // but the list is re-read after each edit all the same).
    for (size_t i = 0; i < m_dependentRegions.size(); ++i) {
        if (!m_dependentRegions[i].dirty)
            continue;
        const ustring replacement =
            transformText(m_dependentRegions[i].transform, substr(m_dependentRegions[i].source));
        const SelectionRegion destination = m_dependentRegions[i].destination;
        // The edits fold into the group being closed.
        ++m_constructionDepth;
        const int32_t inserted = insertCharacters(destination.a, replacement, false);
        eraseCharacters(SelectionRegion(destination.a + inserted, destination.b + inserted));
        --m_constructionDepth;
        if (i < m_dependentRegions.size()) {
            m_dependentRegions[i].destination = SelectionRegion(destination.a, destination.a + inserted);
            m_dependentRegions[i].dirty = false;
        }
    }
    m_isUpdatingDependentText = false;
}

void TextBuffer::spellingChanged()
{
    if (!m_isReading)
        m_tokenStorage->recheckMisspelled();
}
