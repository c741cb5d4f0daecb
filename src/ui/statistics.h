// Named statistics: every operation whose cost matters is timed into a global
// record, and a few events are counted. The records are defined once, before
// the entry point runs, and are written to the log in one report when the main
// message loop ends (stats::dumpStats). Nothing else reads them.
//
// Use:
//     { ScopedTimer timer(g_statLoadSyntax); ...work... }          // main thread
//     { SynchronisedScopedTimer timer(g_statTokenise); ...work... } // any thread
//     ++g_statTokenBufferCount.count;                               // any thread
#pragma once

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

#include "ui/critical_section.h"
#include "ui/performance_timer.h"

// A titled, singly linked list of records whose head is the record added
// last; the report prints from the head. Lists are constant data, so records
// may be linked into them by any static initialiser.
template <typename Record>
struct StatisticsList {
    const char* title;
    Record* head;
};

// Running statistics of one timed operation, in seconds. Unsynchronised: a
// plain record is updated on the main thread only.
struct SummaryData {
    // Links the record at the head of `list` unless `list` is null. `name` is
    // a static string that outlives the record.
    SummaryData(StatisticsList<SummaryData>* list, const char* name);

    // Adds one sample (Welford's running mean and squared deviations).
    void add(double seconds);

    double minimum = 3.4028234663852886e+38; // largest float, held as a double
    double maximum = -3.4028234663852886e+38;
    double sum = 0;
    double count = 0;
    double mean = 0;
    double m2 = 0; // sum of squared deviations from the mean
    const char* name;
    SummaryData* next = nullptr; // next record of its list, or null
};

// A SummaryData for operations that also run on worker threads; every update
// and every read happens under the record's own lock, and nothing else is
// locked while it is held.
class SynchronisedSummaryData {
public:
    // Links the record at the head of `list` (after its lock exists) unless
    // `list` is null.
    SynchronisedSummaryData(StatisticsList<SynchronisedSummaryData>* list, const char* name);
    SynchronisedSummaryData(const SynchronisedSummaryData&) = delete;
    SynchronisedSummaryData& operator=(const SynchronisedSummaryData&) = delete;

    // Any thread.
    void add(double seconds);
    // Any thread: a consistent copy of the values (its `next` is meaningless).
    SummaryData snapshot() const;
    const char* name() const { return m_data.name; }

    // Next record of its list, or null; set once when the record is linked.
    SynchronisedSummaryData* next = nullptr;

private:
    mutable CriticalSection m_lock;
    SummaryData m_data; // guarded by m_lock
};

// A named event counter. Owners change `count` directly (++, --, +=) on any
// thread; it is atomic, so no lock is needed.
struct CountData {
    // Links the counter at the head of `list` unless `list` is null.
    CountData(StatisticsList<CountData>* list, const char* name);
    CountData(const CountData&) = delete;
    CountData& operator=(const CountData&) = delete;

    std::atomic<int32_t> count{0};
    const char* name;
    CountData* next = nullptr;
};

using SummaryList = StatisticsList<SummaryData>;
using SynchronisedSummaryList = StatisticsList<SynchronisedSummaryData>;
using CountList = StatisticsList<CountData>;

// Adds the time from its construction to its destruction to a record. Null
// times nothing. Main thread (the record is unsynchronised).
class ScopedTimer {
public:
    explicit ScopedTimer(SummaryData& record) : m_record(&record) {}
    explicit ScopedTimer(SummaryData* record) : m_record(record) {}
    ~ScopedTimer();
    ScopedTimer(const ScopedTimer&) = delete;
    ScopedTimer& operator=(const ScopedTimer&) = delete;

private:
    SummaryData* m_record;
    PerformanceTimer m_timer;
};

// ScopedTimer for a synchronised record; any thread. Null times nothing.
class SynchronisedScopedTimer {
public:
    explicit SynchronisedScopedTimer(SynchronisedSummaryData& record) : m_record(&record) {}
    explicit SynchronisedScopedTimer(SynchronisedSummaryData* record) : m_record(record) {}
    ~SynchronisedScopedTimer();
    SynchronisedScopedTimer(const SynchronisedScopedTimer&) = delete;
    SynchronisedScopedTimer& operator=(const SynchronisedScopedTimer&) = delete;

private:
    SynchronisedSummaryData* m_record;
    PerformanceTimer m_timer;
};

// One report line: a tab, the name left-aligned in 32 characters, ": ", then
// "mean M, stddev S, " when there are two samples or more, "min A, max B,
// sum C, " when there is at least one, and "n N" with an end of line.
void printSummaryData(std::ostream& stream, const SummaryData& record);
void printSummaryData(std::ostream& stream, const SynchronisedSummaryData& record);
// A tab, the name left-aligned in 32 characters, ": count N" and an end of line.
void printCountData(std::ostream& stream, const CountData& counter);
// The title, ": " and an end of line, then one line per record from the head;
// nothing at all for an empty list.
void printSummaryList(std::ostream& stream, const SummaryList& list);
void printSummaryList(std::ostream& stream, const SynchronisedSummaryList& list);
void printSummaryList(std::ostream& stream, const CountList& list);

// The five process-wide lists, in report order.
extern SummaryList g_profileSummaryData;                        // "Profile SummaryData"
extern SynchronisedSummaryList g_profileSynchronisedSummaryData; // "Profile SynchronisedSummaryData"
extern SummaryList g_generalSummaryData;                        // "General SummaryData", always empty
extern SynchronisedSummaryList g_generalSynchronisedSummaryData; // "General SynchronisedSummaryData", always empty
extern CountList g_generalCountData;                            // "General CountData"

namespace stats {

// The texts of the report's log records, in order: an empty line, then the
// printSummaryList text of every non-empty list in report order.
std::vector<std::string> reportRecords();
// Writes the report to the log, one record per element of reportRecords.
// Main thread, once, when the main message loop ends.
void dumpStats();

} // namespace stats

// The program's records, all defined in statistics.cpp in this order; each
// list reports them in the reverse order.
// Timed on the main thread only.
extern SummaryData g_statStartup;
extern SummaryData g_statStartupPostUI;
extern SummaryData g_statStartupInit;
extern SummaryData g_statPluginManagerStartup;
extern SummaryData g_statPluginManagerInit;
extern SummaryData g_statApplicationInit;
extern SummaryData g_statApplicationInitSession;
extern SummaryData g_statApplicationCreateWindow;
extern SummaryData g_statGenerateBufferTabSet;
extern SummaryData g_statOpenFile;
extern SummaryData g_statReadWindowSettings;
extern SummaryData g_statApplyOptions;
extern SummaryData g_statLoadDictionary;
extern SummaryData g_statStartupUI;
extern SummaryData g_statMetaInfoReload;
extern SummaryData g_statSyntaxManagerReload;
extern SummaryData g_statCheckSpelling;
extern SummaryData g_statReloadSnippets;
extern SummaryData g_statTokenRendererDraw;
extern SummaryData g_statTokenRendererDrawText;
extern SummaryData g_statTokenRendererDrawSelection;
extern SummaryData g_statTokenRendererDrawCarets;
extern SummaryData g_statTokenRendererCreateLayout;
extern SummaryData g_statAddLayoutData;
extern SummaryData g_statAddLayoutReflow;
extern SummaryData g_statFindFrom;
extern SummaryData g_statFindAll;
extern SummaryData g_statChangeSyntax;
extern SummaryData g_statLoadSyntax;
extern SummaryData g_statLoadRawSyntax;
extern SummaryData g_statFindLexers;
extern SummaryData g_statLoadDefaultSyntax;
extern SummaryData g_statRegexSelectorStylerLoadFromFile;
extern SummaryData g_statParseTextMateGrammar;
extern SummaryData g_statLoadLexerContexts;
extern SummaryData g_statCompileLexerContexts;
extern SummaryData g_statDraw;
extern SummaryData g_statDrawAndPresent;
extern SummaryData g_statCreateWindow;
extern SummaryData g_statInitWindowPeer;
extern SummaryData g_statGenerateMipMaps;
extern SummaryData g_statFileManagerRecurseFindFiles;

// Timed on any thread.
extern SynchronisedSummaryData g_statRegexSelectorSetAllMatches;
extern SynchronisedSummaryData g_statRegexSelectorSetBestMatch;
extern SynchronisedSummaryData g_statReadFile;
extern SynchronisedSummaryData g_statReadFileProcess;
extern SynchronisedSummaryData g_statReadFileInsertCharacters;
extern SynchronisedSummaryData g_statTokenise;
extern SynchronisedSummaryData g_statTokeniseLex;
extern SynchronisedSummaryData g_statTokeniseLexReLex;
extern SynchronisedSummaryData g_statTokeniseCreateTokens;
extern SynchronisedSummaryData g_statTokeniseInsert;
extern SynchronisedSummaryData g_statMultiMatcher;
extern SynchronisedSummaryData g_statParsePList;
extern SynchronisedSummaryData g_statParsePListWork;

// Counted on any thread.
extern CountData g_statUniqueTokens;
extern CountData g_statTokenCount;
extern CountData g_statFindCacheHits;
extern CountData g_statFindCacheMisses;
extern CountData g_statLexerStates;
extern CountData g_statTokenBufferCount;
extern CountData g_statFontTextureLoad;
extern CountData g_statFontTextureUnload;
extern CountData g_statFontCount;
extern CountData g_statFontPixelCount;
