// Files in and out of a token storage: loading a C file (many short lines,
// and one single line) through the reader with the C grammar, against a plain
// chunked read of the same file and against decoding alone (read, decode,
// normalise); the heap the load takes at its peak and at its end per MB of
// file; lexing the first screen of a loaded storage, and all of it; finding
// the first misspelling of a loaded storage, near its start and in one
// without any; findAll over a big storage against a search of the
// same text held as one flat string; and saving a big storage.
//
// 10 MB runs by default. Set VANTREL_BENCH_BIG=1 for 100 MB as well (a load
// of that size takes the storage's memory for 100 MB of tokens).
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>

#include "filesystem/file_manager.h"
#include "filesystem/posix_file_system.h"
#include "support/scratch_folder.h"
#include "ui/text/spell_checker.h"
#include "ui/text/file_buffer_source.h"
#include "ui/text/read_job.h"
#include "ui/text/syntax/syntax_loader.h"
#include "ui/text/token/token_storage.h"
#include "ui/unicode.h"

#include "bench_support.h"

using bench_support::cSyntax;
using bench_support::tinySpellChecker;

namespace {

constexpr int64_t kMegabyte = 1 << 20;

test_support::ScratchFolder& folder()
{
    static test_support::ScratchFolder s_folder("vantrel-reading-bench");
    return s_folder;
}

// A file of `megabytes` MB of C: lines of 28 bytes on average with CR LF
// breaks, or (singleLine) the same code with blanks in place of the breaks.
// Written once per shape and size.
const std::filesystem::path& cFile(int64_t megabytes, bool singleLine)
{
    static std::map<std::pair<int64_t, bool>, std::filesystem::path> s_files;
    auto found = s_files.find({megabytes, singleLine});
    if (found != s_files.end())
        return found->second;
    static const char* const kLines[] = {
        "int main(int argc) {",
        "    x = f(y, 2) + z;",
        "    /* note */ if (a) b++;",
        "    printf(\"%d\\n\", x);",
        "}",
    };
    std::string text;
    text.reserve(static_cast<size_t>(megabytes * kMegabyte + 64));
    for (int i = 0; static_cast<int64_t>(text.size()) < megabytes * kMegabyte; ++i) {
        text += kLines[i % 5];
        text += singleLine ? "  " : "\r\n";
    }
    const std::string name = std::to_string(megabytes) + (singleLine ? "-single.c" : "-lines.c");
    folder().write(name, text);
    return s_files[{megabytes, singleLine}] = folder() / name;
}

void sizes(benchmark::internal::Benchmark* benchmark)
{
    const bool big = std::getenv("VANTREL_BENCH_BIG") != nullptr;
    for (int64_t megabytes : {int64_t(10), int64_t(100)}) {
        if (megabytes > 10 && !big)
            continue;
        benchmark->Args({megabytes, 0});
        benchmark->Args({megabytes, 1});
    }
}

size_t heapInUse()
{
    return mallinfo2().uordblks;
}

// The real file, noting the heap in use at every chunk.
class SampledFile : public ReadableFile {
public:
    SampledFile(std::unique_ptr<ReadableFile> file, size_t& peak) : m_file(std::move(file)), m_peak(peak) {}
    int64_t size() override { return m_file->size(); }
    size_t read(void* into, size_t capacity, bool& failed, ustring& error) override
    {
        m_peak = std::max(m_peak, heapInUse());
        return m_file->read(into, capacity, failed, error);
    }

private:
    std::unique_ptr<ReadableFile> m_file;
    size_t& m_peak;
};

// The baseline: the file read in the reader's chunk size into one buffer.
void BM_PlainRead(benchmark::State& state)
{
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    std::vector<char> buffer(ReadJob::kChunkSize);
    for (auto _ : state) {
        FILE* in = std::fopen(file.c_str(), "rb");
        size_t total = 0;
        while (size_t count = std::fread(buffer.data(), 1, buffer.size(), in))
            total += count;
        std::fclose(in);
        benchmark::DoNotOptimize(total);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_PlainRead)->Apply(sizes)->Unit(benchmark::kMillisecond);

// The reader's work before lexing: read, decode and normalise each chunk.
void BM_DecodeFile(benchmark::State& state)
{
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    const ustring path = toUstring(file.string());
    for (auto _ : state) {
        ustring error;
        std::unique_ptr<ReadableFile> in = openReadableFile(path, error);
        StreamDecoder decoder(kEncodingUndefined, kEncodingUndefined);
        NewlineState newlines = NewlineState::nsNormal;
        bool failed = false;
        size_t units = 0;
        while (size_t count = in->read(decoder.inputSpace(), decoder.inputSpaceSize(), failed, error)) {
            decoder.decode(count, false);
            const slate::usubstring text = normaliseNewlines(decoder.outputBegin(), decoder.outputEnd(), newlines);
            units += text.size();
        }
        benchmark::DoNotOptimize(units);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_DecodeFile)->Apply(sizes)->Unit(benchmark::kMillisecond);

// A fresh storage for `file` with the C grammar, filled as the reading
// thread fills it (unlexed), noting the heap at every chunk in `peak`.
std::unique_ptr<TokenStorage> loadFile(const std::filesystem::path& file, size_t& peak)
{
    auto storage = std::make_unique<TokenStorage>();
    storage->setSyntax(cSyntax());
    ReadJob job(toUstring(file.string()), kEncodingUndefined, kEncodingUndefined, std::move(storage),
                [&peak](const ustring& name, ustring& error) -> std::unique_ptr<ReadableFile> {
                    std::unique_ptr<ReadableFile> real = openReadableFile(name, error);
                    if (!real)
                        return nullptr;
                    return std::make_unique<SampledFile>(std::move(real), peak);
                });
    job.run();
    if (job.result.status != ReadStatus::completed)
        return nullptr;
    return std::move(job.result.storage);
}

// The load as the reading thread does it: everything before lexing (read,
// decode, normalise, cut into tokens). Compare with BM_DecodeFile.
void BM_LoadFile(benchmark::State& state)
{
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / kMegabyte;
    cSyntax();
    size_t peak = 0;
    size_t retained = 0;
    for (auto _ : state) {
        const size_t before = heapInUse();
        peak = before;
        std::unique_ptr<TokenStorage> storage = loadFile(file, peak);
        if (!storage) {
            state.SkipWithError("the load failed");
            break;
        }
        const size_t after = heapInUse();
        peak = std::max(peak, after) - before;
        retained = after - before;
        state.PauseTiming();
        storage.reset();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
    state.counters["peakHeapPerMB"] = static_cast<double>(peak) / megabytes;
    state.counters["heapPerMB"] = static_cast<double>(retained) / megabytes;
}
BENCHMARK(BM_LoadFile)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);

// Times `query` on a freshly loaded storage; the load and the storage's
// release are left out of the time.
template <typename Query>
void timeQueryAfterLoad(benchmark::State& state, Query query)
{
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    for (auto _ : state) {
        state.PauseTiming();
        size_t peak = 0;
        std::unique_ptr<TokenStorage> storage = loadFile(file, peak);
        state.ResumeTiming();
        query(*storage);
        state.PauseTiming();
        storage.reset();
        state.ResumeTiming();
    }
}

// What a view asks for first on a loaded storage: the tokens of its first
// screen (60 rows). For the single-line file that is the whole line.
void BM_FirstScreen(benchmark::State& state)
{
    timeQueryAfterLoad(state, [](TokenStorage& storage) { storage.validateUntil(storage.textPoint(60, 0)); });
}
BENCHMARK(BM_FirstScreen)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);

// Lexing all of a loaded storage, as scrolling to its end or a whole-text
// query does (what every load used to pay up front).
void BM_LexAllAfterLoad(benchmark::State& state)
{
    timeQueryAfterLoad(state, [](TokenStorage& storage) { storage.validateUntil(storage.size()); });
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_LexAllAfterLoad)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(1);

// The enabled test of the misspelling commands on a loaded storage whose
// first misspelling is near the start: it lexes one stride, not the text.
void BM_FirstMisspellingNearStartAfterLoad(benchmark::State& state)
{
    const slate::SP<SpellChecker> checker = tinySpellChecker();
    timeQueryAfterLoad(state, [&checker](TokenStorage& storage) {
        storage.setSpellChecker(checker);
        benchmark::DoNotOptimize(storage.nextMisspelledWord(-1));
    });
}
BENCHMARK(BM_FirstMisspellingNearStartAfterLoad)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same test on a text without misspellings lexes all of it in doubling
// strides: compare with BM_LexAllAfterLoad for what the strides cost.
void BM_NoMisspellingAfterLoad(benchmark::State& state)
{
    timeQueryAfterLoad(state, [](TokenStorage& storage) {
        benchmark::DoNotOptimize(storage.nextMisspelledWord(-1));
    });
    const std::filesystem::path& file = cFile(state.range(0), state.range(1) != 0);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(std::filesystem::file_size(file)));
}
BENCHMARK(BM_NoMisspellingAfterLoad)->Apply(sizes)->Unit(benchmark::kMillisecond)->Iterations(1);

// A storage holding the many-lines file, loaded once per size.
TokenStorage& loadedStorage(int64_t megabytes)
{
    static std::map<int64_t, std::unique_ptr<TokenStorage>> s_storages;
    std::unique_ptr<TokenStorage>& storage = s_storages[megabytes];
    if (!storage) {
        auto fresh = std::make_unique<TokenStorage>();
        fresh->setSyntax(cSyntax());
        ReadJob job(toUstring(cFile(megabytes, false).string()), kEncodingUndefined, kEncodingUndefined,
                    std::move(fresh), FileOpener());
        job.run();
        storage = std::move(job.result.storage);
    }
    return *storage;
}

void textSizes(benchmark::internal::Benchmark* benchmark)
{
    benchmark->Arg(10);
    if (std::getenv("VANTREL_BENCH_BIG"))
        benchmark->Arg(100);
}

void BM_FindAll(benchmark::State& state)
{
    TokenStorage& storage = loadedStorage(state.range(0));
    int64_t matches = 0;
    for (auto _ : state) {
        SelectionSet found;
        storage.findAll(u"printf", kSearchLiteral, found);
        matches = found.size();
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(state.iterations() * storage.size() * 2);
}
BENCHMARK(BM_FindAll)->Apply(textSizes)->Unit(benchmark::kMillisecond);

void BM_FindAllRegex(benchmark::State& state)
{
    TokenStorage& storage = loadedStorage(state.range(0));
    int64_t matches = 0;
    for (auto _ : state) {
        SelectionSet found;
        storage.findAll(u"\\bprintf\\(", 0, found);
        matches = found.size();
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(state.iterations() * storage.size() * 2);
}
BENCHMARK(BM_FindAllRegex)->Apply(textSizes)->Unit(benchmark::kMillisecond);

// The baseline: the same text as one flat string, searched with find.
void BM_FlatStringFind(benchmark::State& state)
{
    const ustring text = loadedStorage(state.range(0)).str();
    const ustring pattern = u"printf";
    int64_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (size_t at = text.find(pattern); at != ustring::npos; at = text.find(pattern, at + pattern.size()))
            ++matches;
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()) * 2);
}
BENCHMARK(BM_FlatStringFind)->Apply(textSizes)->Unit(benchmark::kMillisecond);

// The file's own source, noting the heap in use at every write of a save.
class SampledSource : public FileBufferSource {
public:
    SampledSource(ustring path, size_t& peak) : FileBufferSource(std::move(path), kEncodingUndefined), m_peak(peak) {}
    std::unique_ptr<OutStream> openOutStream() override
    {
        std::unique_ptr<OutStream> real = FileBufferSource::openOutStream();
        if (!real)
            return nullptr;
        return std::make_unique<Stream>(std::move(real), m_peak);
    }

private:
    class Stream : public OutStream {
    public:
        Stream(std::unique_ptr<OutStream> real, size_t& peak) : m_real(std::move(real)), m_peak(peak) {}
        size_t write(const void* bytes, size_t length) override
        {
            const size_t written = m_real->write(bytes, length);
            m_peak = std::max(m_peak, heapInUse());
            return written;
        }
        bool commit() override
        {
            m_peak = std::max(m_peak, heapInUse());
            return m_real->commit();
        }

    private:
        std::unique_ptr<OutStream> m_real;
        size_t& m_peak;
    };
    size_t& m_peak;
};

// Saving a big storage; peakHeapPerMB is what the save itself takes on top of
// the storage, per MB of text.
void BM_Save(benchmark::State& state)
{
    TokenStorage& storage = loadedStorage(state.range(0));
    size_t peak = 0;
    size_t extra = 0;
    SampledSource source(toUstring((folder() / "saved.c").string()), peak);
    for (auto _ : state) {
        const size_t before = heapInUse();
        peak = before;
        if (!storage.write(&source, kEncodingUtf8)) {
            state.SkipWithError("the save failed");
            break;
        }
        extra = std::max(extra, peak - before);
    }
    state.SetBytesProcessed(state.iterations() * storage.size());
    state.counters["peakHeapPerMB"] = static_cast<double>(extra) / (static_cast<double>(storage.size()) / kMegabyte);
}
BENCHMARK(BM_Save)->Apply(textSizes)->Unit(benchmark::kMillisecond);

} // namespace
