// The statistics records and their report. Every record of the program is
// defined here, in one file, because the report order depends on the order in
// which the records are built: each list's head is its last-built record, and
// static initialisers within one file run in definition order, so each list
// reports in the reverse of the order below ("FileManagerRecurseFindFiles"
// first, "Startup" last). The lists themselves are constant data, so linking
// needs no initialiser of its own. Plain records are touched only on the main
// thread; synchronised records take their own lock for every update and read,
// and counters are atomic, because worker threads (file readers, the snippet
// scan, find in files) feed them while the report may be printing.
#include "ui/statistics.h"

#include <cmath>
#include <iomanip>
#include <sstream>

#include "ui/log.h"

namespace {

// The report's numbers: default floating-point notation, six significant
// digits, in the C locale.
std::ostream& beginLine(std::ostream& stream, const char* name)
{
    stream << '\t' << std::left << std::setw(32) << name << std::right << ": ";
    return stream;
}

template <typename Record>
void linkRecord(StatisticsList<Record>* list, Record* record, Record*& next)
{
    if (!list)
        return;
    next = list->head;
    list->head = record;
}

template <typename List>
void appendListText(std::vector<std::string>& records, const List& list)
{
    if (!list.head)
        return;
    std::ostringstream stream;
    stream.imbue(std::locale::classic());
    printSummaryList(stream, list);
    records.push_back(stream.str());
}

} // namespace

SummaryData::SummaryData(StatisticsList<SummaryData>* list, const char* recordName) : name(recordName)
{
    linkRecord(list, this, next);
}

void SummaryData::add(double x)
{
    count += 1;
    if (x < minimum)
        minimum = x;
    if (x > maximum)
        maximum = x;
    sum += x;
    double delta = x - mean;
    mean += delta / count;
    m2 += delta * (x - mean);
}

SynchronisedSummaryData::SynchronisedSummaryData(StatisticsList<SynchronisedSummaryData>* list,
                                                 const char* recordName)
    : m_data(nullptr, recordName)
{
    linkRecord(list, this, next);
}

void SynchronisedSummaryData::add(double seconds)
{
    ScopedLock lock(m_lock);
    m_data.add(seconds);
}

SummaryData SynchronisedSummaryData::snapshot() const
{
    ScopedLock lock(m_lock);
    return m_data;
}

CountData::CountData(StatisticsList<CountData>* list, const char* counterName) : name(counterName)
{
    linkRecord(list, this, next);
}

ScopedTimer::~ScopedTimer()
{
    if (m_record)
        m_record->add(m_timer.lap());
}

SynchronisedScopedTimer::~SynchronisedScopedTimer()
{
    if (m_record)
        m_record->add(m_timer.lap());
}

void printSummaryData(std::ostream& stream, const SummaryData& record)
{
    beginLine(stream, record.name);
    if (record.count > 1)
        stream << "mean " << record.mean << ", stddev " << std::sqrt(record.m2 / (record.count - 1))
               << ", ";
    if (record.count > 0)
        stream << "min " << record.minimum << ", max " << record.maximum << ", sum " << record.sum
               << ", ";
    stream << "n " << record.count << '\n';
}

void printSummaryData(std::ostream& stream, const SynchronisedSummaryData& record)
{
    printSummaryData(stream, record.snapshot());
}

void printCountData(std::ostream& stream, const CountData& counter)
{
    beginLine(stream, counter.name) << "count " << counter.count.load(std::memory_order_relaxed)
                                    << '\n';
}

void printSummaryList(std::ostream& stream, const SummaryList& list)
{
    if (!list.head)
        return;
    stream << list.title << ": \n";
    for (const SummaryData* record = list.head; record; record = record->next)
        printSummaryData(stream, *record);
}

void printSummaryList(std::ostream& stream, const SynchronisedSummaryList& list)
{
    if (!list.head)
        return;
    stream << list.title << ": \n";
    for (const SynchronisedSummaryData* record = list.head; record; record = record->next)
        printSummaryData(stream, *record);
}

void printSummaryList(std::ostream& stream, const CountList& list)
{
    if (!list.head)
        return;
    stream << list.title << ": \n";
    for (const CountData* counter = list.head; counter; counter = counter->next)
        printCountData(stream, *counter);
}

// Constant-initialised: they exist before any record's constructor runs.
SummaryList g_profileSummaryData{"Profile SummaryData", nullptr};
SynchronisedSummaryList g_profileSynchronisedSummaryData{"Profile SynchronisedSummaryData", nullptr};
SummaryList g_generalSummaryData{"General SummaryData", nullptr};
SynchronisedSummaryList g_generalSynchronisedSummaryData{"General SynchronisedSummaryData", nullptr};
CountList g_generalCountData{"General CountData", nullptr};

namespace stats {

std::vector<std::string> reportRecords()
{
    std::vector<std::string> records;
    records.push_back("\n");
    appendListText(records, g_profileSummaryData);
    appendListText(records, g_profileSynchronisedSummaryData);
    appendListText(records, g_generalSummaryData);
    appendListText(records, g_generalSynchronisedSummaryData);
    appendListText(records, g_generalCountData);
    return records;
}

void dumpStats()
{
    for (const std::string& text : reportRecords())
        logLine("stats::dumpStats", __FILE__, __LINE__, ustring(text.begin(), text.end()));
}

} // namespace stats

// The records, in the order of the report's lists reversed.
SummaryData g_statStartup(&g_profileSummaryData, "Startup");
SummaryData g_statStartupPostUI(&g_profileSummaryData, "StartupPostUI");
SummaryData g_statStartupInit(&g_profileSummaryData, "StartupInit");
SummaryData g_statPluginManagerStartup(&g_profileSummaryData, "PluginManagerStartup");
SummaryData g_statPluginManagerInit(&g_profileSummaryData, "PluginManagerInit");
SummaryData g_statApplicationInit(&g_profileSummaryData, "ApplicationInit");
SummaryData g_statApplicationInitSession(&g_profileSummaryData, "ApplicationInitSession");
SummaryData g_statApplicationCreateWindow(&g_profileSummaryData, "ApplicationCreateWindow");
SummaryData g_statGenerateBufferTabSet(&g_profileSummaryData, "GenerateBufferTabSet");
SummaryData g_statOpenFile(&g_profileSummaryData, "OpenFile");
SummaryData g_statReadWindowSettings(&g_profileSummaryData, "ReadWindowSettings");
SummaryData g_statApplyOptions(&g_profileSummaryData, "ApplyOptions");
SummaryData g_statLoadDictionary(&g_profileSummaryData, "LoadDictionary");
SummaryData g_statStartupUI(&g_profileSummaryData, "StartupUI");
SummaryData g_statMetaInfoReload(&g_profileSummaryData, "MetaInfoReload");
SummaryData g_statSyntaxManagerReload(&g_profileSummaryData, "SyntaxManagerReload");
SummaryData g_statCheckSpelling(&g_profileSummaryData, "CheckSpelling");
SummaryData g_statReloadSnippets(&g_profileSummaryData, "ReloadSnippets");
SummaryData g_statTokenRendererDraw(&g_profileSummaryData, "TokenRendererDraw");
SummaryData g_statTokenRendererDrawText(&g_profileSummaryData, "TokenRendererDrawText");
SummaryData g_statTokenRendererDrawSelection(&g_profileSummaryData, "TokenRendererDrawSelection");
SummaryData g_statTokenRendererDrawCarets(&g_profileSummaryData, "TokenRendererDrawCarets");
SummaryData g_statTokenRendererCreateLayout(&g_profileSummaryData, "TokenRendererCreateLayout");
SummaryData g_statAddLayoutData(&g_profileSummaryData, "AddLayoutData");
SummaryData g_statAddLayoutReflow(&g_profileSummaryData, "AddLayoutReflow");
SummaryData g_statFindFrom(&g_profileSummaryData, "FindFrom");
SummaryData g_statFindAll(&g_profileSummaryData, "FindAll");
SummaryData g_statChangeSyntax(&g_profileSummaryData, "ChangeSyntax");
SummaryData g_statLoadSyntax(&g_profileSummaryData, "LoadSyntax");
SummaryData g_statLoadRawSyntax(&g_profileSummaryData, "LoadRawSyntax");
SummaryData g_statFindLexers(&g_profileSummaryData, "FindLexers");
SummaryData g_statLoadDefaultSyntax(&g_profileSummaryData, "LoadDefaultSyntax");
SummaryData g_statRegexSelectorStylerLoadFromFile(&g_profileSummaryData, "RegexSelectorStylerLoadFromFile");
SummaryData g_statParseTextMateGrammar(&g_profileSummaryData, "ParseTextMateGrammar");
SummaryData g_statLoadLexerContexts(&g_profileSummaryData, "LoadLexerContexts");
SummaryData g_statCompileLexerContexts(&g_profileSummaryData, "CompileLexerContexts");
SummaryData g_statDraw(&g_profileSummaryData, "Draw");
SummaryData g_statDrawAndPresent(&g_profileSummaryData, "DrawAndPresent");
SummaryData g_statCreateWindow(&g_profileSummaryData, "CreateWindow");
SummaryData g_statInitWindowPeer(&g_profileSummaryData, "InitWindowPeer");
SummaryData g_statGenerateMipMaps(&g_profileSummaryData, "GenerateMipMaps");
SummaryData g_statFileManagerRecurseFindFiles(&g_profileSummaryData, "FileManagerRecurseFindFiles");

SynchronisedSummaryData g_statRegexSelectorSetAllMatches(&g_profileSynchronisedSummaryData, "RegexSelectorSetAllMatches");
SynchronisedSummaryData g_statRegexSelectorSetBestMatch(&g_profileSynchronisedSummaryData, "RegexSelectorSetBestMatch");
SynchronisedSummaryData g_statReadFile(&g_profileSynchronisedSummaryData, "ReadFile");
SynchronisedSummaryData g_statReadFileProcess(&g_profileSynchronisedSummaryData, "ReadFileProcess");
SynchronisedSummaryData g_statReadFileInsertCharacters(&g_profileSynchronisedSummaryData, "ReadFileInsertCharacters");
SynchronisedSummaryData g_statTokenise(&g_profileSynchronisedSummaryData, "Tokenise");
SynchronisedSummaryData g_statTokeniseLex(&g_profileSynchronisedSummaryData, "TokeniseLex");
SynchronisedSummaryData g_statTokeniseLexReLex(&g_profileSynchronisedSummaryData, "TokeniseLexReLex");
SynchronisedSummaryData g_statTokeniseCreateTokens(&g_profileSynchronisedSummaryData, "TokeniseCreateTokens");
SynchronisedSummaryData g_statTokeniseInsert(&g_profileSynchronisedSummaryData, "TokeniseInsert");
SynchronisedSummaryData g_statMultiMatcher(&g_profileSynchronisedSummaryData, "MultiMatcher");
SynchronisedSummaryData g_statParsePList(&g_profileSynchronisedSummaryData, "ParsePList");
SynchronisedSummaryData g_statParsePListWork(&g_profileSynchronisedSummaryData, "ParsePListWork");

CountData g_statUniqueTokens(&g_generalCountData, "UniqueTokens");
CountData g_statTokenCount(&g_generalCountData, "TokenCount");
CountData g_statFindCacheHits(&g_generalCountData, "FindCacheHits");
CountData g_statFindCacheMisses(&g_generalCountData, "FindCacheMisses");
CountData g_statLexerStates(&g_generalCountData, "LexerStates");
CountData g_statTokenBufferCount(&g_generalCountData, "TokenBufferCount");
CountData g_statFontTextureLoad(&g_generalCountData, "FontTextureLoad");
CountData g_statFontTextureUnload(&g_generalCountData, "FontTextureUnload");
CountData g_statFontCount(&g_generalCountData, "FontCount");
CountData g_statFontPixelCount(&g_generalCountData, "FontPixelCount");
