#include "ui/statistics.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "ui/thread.h"

namespace {

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        result.push_back(line);
    return result;
}

template <typename Record>
std::string printed(const Record& record)
{
    std::ostringstream stream;
    printSummaryData(stream, record);
    return stream.str();
}

template <typename List>
std::string printedList(const List& list)
{
    std::ostringstream stream;
    printSummaryList(stream, list);
    return stream.str();
}

TEST(Statistics, SummaryLineShowsWhatTheSamplesSupport)
{
    struct Case {
        const char* name;
        std::vector<double> samples;
        const char* expected;
    };
    const std::vector<Case> cases = {
        {"no sample", {}, "\tRecord                          : n 0\n"},
        {"one sample", {0.25}, "\tRecord                          : min 0.25, max 0.25, sum 0.25, n 1\n"},
        {"four samples", {1, 2, 3, 4},
         "\tRecord                          : mean 2.5, stddev 1.29099, min 1, max 4, sum 10, n 4\n"},
        {"unordered samples", {3, 1, 4, 2},
         "\tRecord                          : mean 2.5, stddev 1.29099, min 1, max 4, sum 10, n 4\n"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        SummaryData record(nullptr, "Record");
        SynchronisedSummaryData synchronised(nullptr, "Record");
        for (double sample : row.samples) {
            record.add(sample);
            synchronised.add(sample);
        }
        EXPECT_EQ(printed(record), row.expected);
        EXPECT_EQ(printed(synchronised), row.expected);
    }
}

TEST(Statistics, CountLineAndLongNames)
{
    CountData counter(nullptr, "Hits");
    counter.count += 3;
    ++counter.count;
    std::ostringstream stream;
    printCountData(stream, counter);
    EXPECT_EQ(stream.str(), "\tHits                            : count 4\n");

    SummaryData longName(nullptr, "ANameLongerThanThirtyTwoCharacters");
    EXPECT_EQ(printed(longName), "\tANameLongerThanThirtyTwoCharacters: n 0\n");
}

TEST(Statistics, ListPrintsTitleThenRecordsFromTheLastAdded)
{
    SummaryList empty{"Empty", nullptr};
    EXPECT_EQ(printedList(empty), "");

    SummaryList list{"Titled", nullptr};
    SummaryData first(&list, "First");
    SummaryData second(&list, "Second");
    EXPECT_EQ(printedList(list), "Titled: \n"
                                 "\tSecond                          : n 0\n"
                                 "\tFirst                           : n 0\n");
}

TEST(Statistics, ProgramRecordsReportInReverseOfTheirDefinition)
{
    struct Case {
        const char* name;
        std::string text;
        const char* title;
        size_t records;
        const char* first;
        const char* last;
    };
    const std::vector<Case> cases = {
        {"summary", printedList(g_profileSummaryData), "Profile SummaryData: ", 42,
         "FileManagerRecurseFindFiles", "Startup"},
        {"synchronised", printedList(g_profileSynchronisedSummaryData), "Profile SynchronisedSummaryData: ", 13,
         "ParsePListWork", "RegexSelectorSetAllMatches"},
        {"counters", printedList(g_generalCountData), "General CountData: ", 10, "FontPixelCount", "UniqueTokens"},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.name);
        std::vector<std::string> text = lines(row.text);
        ASSERT_EQ(text.size(), row.records + 1);
        EXPECT_EQ(text.front(), row.title);
        EXPECT_EQ(text[1].rfind(std::string("\t") + row.first + " ", 0), 0u) << text[1];
        EXPECT_EQ(text.back().rfind(std::string("\t") + row.last + " ", 0), 0u) << text.back();
    }
}

TEST(Statistics, ReportIsAnEmptyLineThenEveryNonEmptyList)
{
    std::vector<std::string> records = stats::reportRecords();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0], "\n");
    EXPECT_EQ(records[1].rfind("Profile SummaryData: \n", 0), 0u);
    EXPECT_EQ(records[2].rfind("Profile SynchronisedSummaryData: \n", 0), 0u);
    EXPECT_EQ(records[3].rfind("General CountData: \n", 0), 0u);
}

TEST(Statistics, ScopedTimersAddOneSampleEach)
{
    SummaryData record(nullptr, "Timed");
    SynchronisedSummaryData synchronised(nullptr, "SynchronisedTimed");
    {
        ScopedTimer timer(record);
        SynchronisedScopedTimer synchronisedTimer(&synchronised);
        ScopedTimer nothing(static_cast<SummaryData*>(nullptr));
    }
    EXPECT_EQ(record.count, 1);
    EXPECT_EQ(synchronised.snapshot().count, 1);
}

TEST(Statistics, WorkerThreadsLoseNoSampleOrCount)
{
    SynchronisedSummaryData record(nullptr, "Shared");
    CountData counter(nullptr, "SharedCount");
    const int kThreads = 4;
    const int kSamples = 5000;
    std::vector<Thread> threads(kThreads);
    for (Thread& thread : threads) {
        ASSERT_TRUE(thread.start([&] {
            for (int i = 0; i < kSamples; ++i) {
                record.add(1.0);
                ++counter.count;
            }
        }));
    }
    for (Thread& thread : threads)
        ASSERT_TRUE(thread.join(platform::kInfiniteTimeout));
    SummaryData values = record.snapshot();
    EXPECT_EQ(values.count, kThreads * kSamples);
    EXPECT_EQ(values.sum, kThreads * kSamples);
    EXPECT_EQ(counter.count.load(), kThreads * kSamples);
}

} // namespace
