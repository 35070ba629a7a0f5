#include "tools/sounds/ChordSymbol.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace {

TEST(ChordSymbol, voicingPutsEveryChordToneOnceInTheOctaveAboveTheLowKey)
{
    const std::pair<const char*, std::vector<int>> cases[] = {
        {"C", {60, 64, 67}},      {"Am", {60, 64, 69}},     {"G7", {62, 65, 67, 71}},
        {"F#m", {61, 66, 69}},    {"Bb", {62, 65, 70}},     {"Cmaj7", {60, 64, 67, 71}},
        {"Dm7", {60, 62, 65, 69}}, {"Bdim", {62, 65, 71}},  {"Gsus4", {60, 62, 67}},
    };
    for (const auto& [symbol, keys] : cases)
        EXPECT_EQ(ChordSymbol(symbol).voicing(60), keys) << symbol;
    EXPECT_EQ(ChordSymbol("E7").voicing(55), (std::vector<int>{56, 59, 62, 64}));
}

TEST(ChordSymbol, rootKeyIsTheRootInTheOctaveFromTheLowKey)
{
    EXPECT_EQ(ChordSymbol("C").rootKey(33), 36);
    EXPECT_EQ(ChordSymbol("A").rootKey(33), 33);
    EXPECT_EQ(ChordSymbol("G#m").rootKey(33), 44);
    EXPECT_EQ(ChordSymbol("Cb").rootKey(33), 35);
}

TEST(ChordSymbol, refusesWhatALeadSheetWouldNotWrite)
{
    for (const char* symbol : {"", "H", "c", "Cx", "Cm9", "C##"})
        EXPECT_THROW(ChordSymbol{symbol}, std::invalid_argument) << symbol;
}

} // namespace
