// Restoring a buffer's session keys: 50,000 bookmarks written in descending
// order, the worst order for a set kept sorted by inserting one region at a
// time.
#include <benchmark/benchmark.h>

#include <string>

#include "ui/options.h"
#include "ui/text/text_buffer.h"

namespace {

constexpr int kBookmarks = 50000;
constexpr int64_t kTextSize = 2 * kBookmarks + 10;

slate::SP<Options> descendingBookmarks()
{
    slate::SP<Options> node(new Options);
    node->setInt64("bufferSize", kTextSize);
    for (int i = 0; i < kBookmarks; ++i) {
        const std::string index = std::to_string(i);
        const ustring key = u"bookmarks[" + ustring(index.begin(), index.end()) + u"]";
        const int64_t a = 2 * (kBookmarks - i);
        node->setInt64(key + u".a", a);
        node->setInt64(key + u".b", a + 1);
    }
    return node;
}

void BM_RestoreDescendingBookmarks(benchmark::State& state)
{
    const slate::SP<Options> node = descendingBookmarks();
    const ustring text(static_cast<size_t>(kTextSize), u'x');
    slate::SP<TextBuffer> buffer(new TextBuffer(text.data(), text.data() + text.size()));
    for (auto _ : state) {
        buffer->readSettings(node);
        benchmark::DoNotOptimize(buffer->m_bookmarks.size());
    }
}
BENCHMARK(BM_RestoreDescendingBookmarks)->Unit(benchmark::kMillisecond);

} // namespace
