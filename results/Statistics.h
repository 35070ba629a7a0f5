#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The figures the results window shows, as plain functions over plain values. Empty input gives 0
// (or empty results); callers say "no games yet" before asking.
namespace Statistics {

double mean(const std::vector<double>& values);
// Population standard deviation: the spread of exactly these values, 0 for a single one.
double standardDeviation(const std::vector<double>& values);
double median(std::vector<double> values);
// Linear interpolation between the closest ranks (the spreadsheet's PERCENTILE.INC):
// fraction 0 is the least value, 1 the greatest, 0.5 the median.
double percentile(std::vector<double> values, double fraction);

// For each game, the mean of its score and the (up to) nine before it.
std::vector<double> runningMeanOfTen(const std::vector<double>& scores);

struct Histogram {
    int binWidthMs = 10;
    double firstBinStartMs = 0;  // bins cover [first + i*width, first + (i+1)*width)
    std::vector<int> counts;
    bool lastBinOpen = false;  // the last bin also holds everything above it
};
// A reaction left standing for an hour must not make a third of a million bins: past
// `maximumBins` the last bin takes all the rest. Values that are not finite are left out.
Histogram histogram(const std::vector<double>& valuesMs, int binWidthMs = 10, int maximumBins = 300);

struct LetterReaction {
    char letter = 'A';
    double reactionMs = 0;
};

struct LetterSummary {
    char letter = 'A';
    int count = 0;
    double medianMs = 0;
};
// One entry per letter A..Z, in alphabetical order; letters never seen have count 0.
std::array<LetterSummary, 26> letterMedians(const std::vector<LetterReaction>& reactions);

// The `howMany` letters with the greatest median among those seen at least `minimumCount`
// times whose median is above `usualMs`, slowest first; ties go to the alphabet.
std::vector<LetterSummary> slowestLetters(const std::array<LetterSummary, 26>& letters, int howMany,
                                          int minimumCount, double usualMs);

// How much slower than usual `ms` is, from -1 (`scaleMs` or more faster) through 0 (as usual)
// to 1 (`scaleMs` or more slower).
double tone(double ms, double usualMs, double scaleMs);

} // namespace Statistics
