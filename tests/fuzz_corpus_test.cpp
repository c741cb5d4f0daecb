// Replays every fuzz target's corpus (fuzz/corpus/<target>/: its seeds and
// every input that ever failed) through the target, as an ordinary test under
// the ordinary compiler and the sanitizers.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "fuzz_target.h"

namespace {

std::map<std::string, FuzzEntry>& registry()
{
    static std::map<std::string, FuzzEntry> s_targets;
    return s_targets;
}

} // namespace

bool registerFuzzTarget(const char* name, FuzzEntry entry)
{
    registry()[name] = entry;
    return true;
}

namespace {

const std::filesystem::path kCorpusRoot = VANTREL_FUZZ_CORPUS_DIR;

TEST(FuzzCorpus, EveryTargetHasACorpusAndEveryCorpusATarget)
{
    for (const auto& [name, entry] : registry())
        EXPECT_TRUE(std::filesystem::is_directory(kCorpusRoot / name)) << "no corpus for " << name;
    for (const auto& folder : std::filesystem::directory_iterator(kCorpusRoot))
        EXPECT_EQ(1u, registry().count(folder.path().filename().string()))
            << "no target for the corpus " << folder.path();
}

TEST(FuzzCorpus, EveryInputReplaysCleanly)
{
    for (const auto& [name, entry] : registry()) {
        std::vector<std::filesystem::path> inputs;
        for (const auto& file : std::filesystem::directory_iterator(kCorpusRoot / name))
            inputs.push_back(file.path());
        std::sort(inputs.begin(), inputs.end());
        for (const std::filesystem::path& input : inputs) {
            SCOPED_TRACE(input.string());
            std::ifstream in(input, std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            EXPECT_EQ(0, entry(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
        }
    }
}

} // namespace
