#include "tools/sounds/NoteText.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

using Notes = std::vector<NoteText::Note>;

TEST(NoteText, pitchNamesGiveMidiKeys)
{
    const std::pair<const char*, int> cases[] = {
        {"C4", 60}, {"A4", 69}, {"C#4", 61}, {"Db4", 61}, {"B3", 59}, {"Cb4", 59},
        {"E#4", 65}, {"F##4", 67}, {"C-1", 0}, {"G9", 127}, {"Cb-1", -1}, {"G#9", -1},
    };
    for (const auto& [name, key] : cases) {
        if (key < 0)
            EXPECT_THROW(NoteText::key(name), std::invalid_argument) << name;
        else
            EXPECT_EQ(NoteText::key(name), key) << name;
    }
}

TEST(NoteText, readsLengthsDotsRestsAndChordsOneAfterAnother)
{
    const NoteText phrase("E5/8 G5 C6/4. r/8 C4+E4+G4/2 A4/12 B4 C5 D5/16", 480);
    const Notes expected{
        {0, 240, {76}},
        {240, 240, {79}},        // keeps the eighth
        {480, 720, {84}},        // dotted quarter
        {1440, 960, {60, 64, 67}}, // after an eighth rest
        {2400, 160, {69}},       // triplet eighths
        {2560, 160, {71}},
        {2720, 160, {72}},
        {2880, 120, {74}},
    };
    EXPECT_EQ(phrase.notes(), expected);
    EXPECT_EQ(phrase.length(), 3000);
}

TEST(NoteText, barLinesMustFallBetweenBarsWhetherSpacedOrNot)
{
    EXPECT_EQ(NoteText("C4/2 D4 | E4/1|r/1 |", 480, 1920).length(), 5760);
    EXPECT_NO_THROW(NoteText("C4/4 | D4", 480)); // no bar length: nothing to check
    try {
        NoteText("C4/4 D4 E4|F4/4", 480, 1920);
        FAIL() << "a bar line inside a bar was accepted";
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("tick 1440"), std::string::npos) << error.what();
    }
}

TEST(NoteText, aTokenItCannotReadIsNamedInTheError)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C4", "C4"},            // the first note has no length
        {"C4/4 H4", "H4"},       // no such letter
        {"C4/4 C", "C"},         // no octave
        {"C4/4 C4x", "C4x"},     // trailing rubbish
        {"C4/0", "C4/0"},        // no such length
        {"C4/7", "C4/7"},        // not a whole number of ticks
        {"C4/4 C4+/4", "C4+/4"}, // empty chord member
        {"C4/4 c4/4", "c4/4"},   // lower case
    };
    for (const auto& [text, token] : cases) {
        try {
            NoteText(text, 480);
            ADD_FAILURE() << "accepted " << text;
        } catch (const std::invalid_argument& error) {
            EXPECT_NE(std::string(error.what()).find(std::string("'") + token), std::string::npos)
                << text << ": " << error.what();
        }
    }
}

} // namespace
