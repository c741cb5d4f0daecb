// A view's session node: the scroll position, zoom and options are read back
// at once, the selection and the persistent named regions only when the
// buffer has finished loading and still has the size it had when they were
// written, so positions saved for another version of the file are never
// applied. Keys (N counts regions from 0):
//
//     options.KEY                   the view's own options
//     translation.x, translation.y  scroll offsets
//     zoomLevel
//     bufferSize                    the buffer's size when written
//     name                          read only: the buffer's name
//     selection[N].a, selection[N].b
//     regions.NAME.scope, regions.NAME.flags, regions.NAME.sel[N].a, ...
//
// A region name may hold dots: it is what lies between the first dot and the
// last one of its ".flags" key.
#include "ui/text/view_session.h"

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "ui/text/region_set_settings.h"
#include "ui/text/text_buffer.h"
#include "ui/text/text_buffer_view.h"
#include "ui/text/view_state.h"

namespace {

const char16_t kOptionsPrefix[] = u"options";
const char16_t kSelectionKey[] = u"selection";
const char16_t kRegionsPrefix[] = u"regions.";
const char16_t kFlagsSuffix[] = u".flags";

bool startsWith(const ustring& text, const ustring& start)
{
    return text.compare(0, start.size(), start) == 0;
}

bool endsWith(const ustring& text, const ustring& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

} // namespace

void restoreSelection(TextBufferView& view, const Options& node)
{
    TextBuffer& buffer = *view.buffer();
    const int64_t size = buffer.size();
    int64_t savedSize = 0;
    node.getInt64("bufferSize", savedSize);
    if (savedSize != size)
        return;

    SelectionSet selection;
    readRegionSet(node, kSelectionKey, selection);
    selection.clamp(0, size);
    // A node without a selection leaves the view's as it is, as an absent key
    // does everywhere else. Otherwise the set is refilled rather than
    // assigned, so that its change counter moves on and observers notice.
    if (!selection.empty()) {
        SelectionSet& current = view.mutableSel();
        current.clear();
        current.addAll(selection);
    }

    const ustring regionsPrefix = kRegionsPrefix;
    const ustring flagsSuffix = kFlagsSuffix;
    const std::vector<ustring> keys = node.keys();
    for (const ustring& key : keys) {
        if (!startsWith(key, regionsPrefix) || !endsWith(key, flagsSuffix) ||
            key.size() < regionsPrefix.size() + flagsSuffix.size())
            continue;
        const size_t lastDot = key.size() - flagsSuffix.size();
        const ustring prefix = key.substr(0, lastDot);
        const ustring name = key.substr(regionsPrefix.size(), lastDot - regionsPrefix.size());

        ustring scope;
        node.getString(prefix + u".scope", scope);
        int flags = 0;
        node.getInt(key, flags);
        SelectionSet regions;
        readRegionSet(node, prefix + u".sel", regions);
        regions.clamp(0, size);

        NamedRegions& named =
            view.viewState().mutableNamedRegions()[buffer.internRegionName(name)];
        named.scope = buffer.internRegionName(scope);
        named.flags = static_cast<uint32_t>(flags);
        named.regions.addAll(regions);
    }
}

void TextBufferView::writeSettings(const slate::SP<Options>& node)
{
    // A shorter selection or a region that is no longer persistent must not
    // come back from an earlier write into the same node.
    eraseKeysStartingWith(*node, {ustring(kOptionsPrefix) + u'.', ustring(kSelectionKey) + u'[',
                                  kRegionsPrefix});
    node->setGroup(kOptionsPrefix, m_options);
    node->setDouble("translation.x", m_translationX);
    node->setDouble("translation.y", m_translationY);
    node->setFloat("zoomLevel", m_zoom);
    node->setInt64("bufferSize", m_buffer->size());
    writeRegionSet(*node, kSelectionKey, sel());
    for (const auto& [name, named] : m_viewState->namedRegions()) {
        if (!(named.flags & NamedRegions::PERSISTENT))
            continue;
        const ustring prefix = ustring(kRegionsPrefix) + *name;
        node->set(prefix + u".scope", named.scope ? *named.scope : ustring());
        node->setInt(prefix + kFlagsSuffix, static_cast<int>(named.flags));
        writeRegionSet(*node, prefix + u".sel", named.regions);
    }
}

void TextBufferView::readSettings(const slate::SP<Options>& node)
{
    // Values that would make every conversion of the view meaningless (not
    // finite, or a zoom that is not positive) are ignored like absent keys.
    double x = m_translationX;
    if (node->getDouble("translation.x", x) && std::isfinite(x))
        m_translationX = x;
    double y = m_translationY;
    if (node->getDouble("translation.y", y) && std::isfinite(y))
        m_translationY = y;
    float zoom = m_zoom;
    if (node->getFloat("zoomLevel", zoom) && std::isfinite(zoom) && zoom > 0.f)
        m_zoom = zoom;
    ustring name;
    node->getString("name", name);
    if (!name.empty())
        m_buffer->m_name = name;

    std::weak_ptr<TextBufferView*> lifetime = m_lifetime;
    slate::SP<Options> held = node;
    m_buffer->addLoadListener([lifetime, held] {
        if (const Lifetime alive = lifetime.lock())
            restoreSelection(**alive, *held);
    });

    if (m_options) {
        node->getGroup(kOptionsPrefix, m_options);
        m_options->notifyChanged();
    }
}
