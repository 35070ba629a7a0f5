#include "ui/LedMarquee.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <ostream>
#include <string>
#include <vector>

void PrintTo(const LedMarquee::Variables& v, std::ostream* os)
{
    *os << "{L " << v.varLEDLeft << ", R " << v.intLEDRight << ", state " << v.intLEDState
        << ", hold " << v.intLEDHold << ", dir " << v.intLEDDir << "}";
}

namespace {

constexpr int kPositions = 38;
constexpr int kCentreLeft = 18;   // index of x = 144
constexpr int kCentreRight = 19;  // index of x = 152

struct CellColours {
    std::uint32_t highlight, face, shadow;
};
constexpr CellColours kLit{0x00FFFF, 0x0080FF, 0x0000FF};
constexpr CellColours kUnlit{0x0060BF, 0x004080, 0x000040};

// An 8 x 25 cell: black outline, highlight top and left, shadow right and bottom, face inside.
Surface ledCell(const CellColours& c)
{
    Surface cell(8, 25, 0x000000);
    for (int x = 1; x <= 5; ++x)
        cell.setPixel(x, 1, c.highlight);
    for (int y = 2; y <= 22; ++y) {
        cell.setPixel(1, y, c.highlight);
        for (int x = 2; x <= 5; ++x)
            cell.setPixel(x, y, c.face);
    }
    for (int y = 1; y <= 22; ++y)
        cell.setPixel(6, y, c.shadow);
    for (int x = 1; x <= 6; ++x)
        cell.setPixel(x, 23, c.shadow);
    return cell;
}

std::string repeat(int n, char c) { return std::string(n, c); }

// Runs the marquee on a black 300 x 25 bar, as the main window does from its load on.
class Marquee {
public:
    Marquee() { marquee.load(); }

    LedMarquee::ChangedCells tick() { return marquee.tick(bar, lit, unlit); }
    const LedMarquee::Variables& vars() const { return marquee.variables(); }
    int phase() const { return vars().intLEDState; }

    // Ticks until the phase changes; returns how many ticks that took.
    int finishPhase()
    {
        const int current = phase();
        int ticks = 0;
        while (phase() == current && ticks < 1000) {
            tick();
            ++ticks;
        }
        return ticks;
    }

    void runUntilPhase(int wanted)
    {
        for (int guard = 0; phase() != wanted && guard < 2 * LedMarquee::kCycleTicks; ++guard)
            tick();
        ASSERT_EQ(phase(), wanted);
    }

    // One character per position, x = 0, 8, ... 296: 'L' lit, 'u' unlit, '.' black,
    // '?' anything else. Every pixel of the bar belongs to exactly one position.
    std::string cells() const
    {
        std::string out;
        for (int i = 0; i < kPositions; ++i)
            out += cellAt(8 * i);
        return out;
    }

    LedMarquee marquee;
    Surface bar{300, 25, 0x000000};
    const Surface lit = ledCell(kLit);
    const Surface unlit = ledCell(kUnlit);

private:
    char cellAt(int x0) const
    {
        const auto matches = [&](const Surface* image) {
            for (int y = 0; y < 25; ++y)
                for (int x = 0; x < 8 && x0 + x < bar.width(); ++x)
                    if (bar.pixel(x0 + x, y) != (image ? image->pixel(x, y) : 0x000000u))
                        return false;
            return true;
        };
        if (matches(&lit))
            return 'L';
        if (matches(&unlit))
            return 'u';
        if (matches(nullptr))
            return '.';
        return '?';
    }
};

TEST(LedMarquee, startsWithAllVariablesZeroAndLoadPlacesTheLightsInTheCentre)
{
    LedMarquee marquee;
    EXPECT_EQ(marquee.variables(), LedMarquee::Variables{});
    marquee.load();
    EXPECT_EQ(marquee.variables(), (LedMarquee::Variables{144, 152, 0, 0, 0}));
}

TEST(LedMarquee, firstTickAfterLoadLightsPosition152AndDarkens144OnTheBlackBar)
{
    Marquee m;
    m.tick();
    // Lit at 144, unlit at 152, lit at 152, unlit at 144: the later copies win.
    EXPECT_EQ(m.cells(), repeat(18, '.') + "uL" + repeat(18, '.'));
    EXPECT_EQ(m.vars(), (LedMarquee::Variables{136, 160, 0, 0, 0}));
}

TEST(LedMarquee, phasesFollowEachOtherWithTheirFixedDurationsInEveryCycle)
{
    // Phase 22 is skipped: phase 21 moves the counter on by two.
    std::vector<int> expectedPhases;
    for (int p = 0; p <= 45; ++p)
        if (p != 22)
            expectedPhases.push_back(p);
    const std::vector<int> expectedTicks = {
        19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1,  // 0-18
        19, 1, 39,                                                          // 19-21
        19, 18, 17, 16, 15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1,  // 23-41
        39, 19, 20, 19,                                                     // 42-45
    };

    Marquee m;
    for (int cycle = 0; cycle < 2; ++cycle) {
        std::vector<int> phases, ticks;
        int total = 0;
        do {
            phases.push_back(m.phase());
            ticks.push_back(m.finishPhase());
            total += ticks.back();
        } while (m.phase() != 0 && phases.size() < 100);
        EXPECT_EQ(phases, expectedPhases) << "cycle " << cycle;
        EXPECT_EQ(ticks, expectedTicks) << "cycle " << cycle;
        EXPECT_EQ(total, 536) << "cycle " << cycle;
        EXPECT_EQ(m.vars(), (LedMarquee::Variables{144, 152, 0, 0, 0})) << "cycle " << cycle;
    }
}

TEST(LedMarquee, barShowsTheDescribedPictureAtTheEndOfEachPhase)
{
    const std::string allLit = repeat(38, 'L');
    const std::string allUnlit = repeat(38, 'u');
    const std::string endsLit = "L" + repeat(36, 'u') + "L";
    const std::string centreLit = repeat(18, 'u') + "LL" + repeat(18, 'u');
    struct Expected {
        std::string cells;
        int left, right;
    };
    // Second cycle, so that phase 0 has painted every position.
    const std::map<int, Expected> atEnd = {
        {0, {endsLit, 144, 152}},
        {1, {"LL" + repeat(34, 'u') + "LL", 144, 152}},
        {17, {repeat(18, 'L') + "uu" + repeat(18, 'L'), 144, 152}},
        {18, {allLit, 144, 152}},
        {19, {endsLit, -8, 304}},
        {20, {allUnlit, 0, 296}},
        {21, {allUnlit, 0, 296}},
        {23, {centreLit, 0, 296}},
        {24, {repeat(17, 'u') + "LLLL" + repeat(17, 'u'), 0, 296}},
        {41, {allLit, 0, 296}},
        {42, {allUnlit, 0, 296}},
        {43, {centreLit, 152, 144}},
        {44, {allUnlit, 0, 296}},
        {45, {centreLit, 144, 152}},
    };

    Marquee m;
    for (int t = 0; t < LedMarquee::kCycleTicks; ++t)
        m.tick();
    ASSERT_EQ(m.phase(), 0);

    std::size_t checked = 0;
    int phasesSeen = 0;
    do {
        ASSERT_LT(++phasesSeen, 100) << "stuck in phase " << m.phase();
        const int phase = m.phase();
        m.finishPhase();
        if (const auto it = atEnd.find(phase); it != atEnd.end()) {
            ++checked;
            EXPECT_EQ(m.cells(), it->second.cells) << "end of phase " << phase;
            EXPECT_EQ(m.vars().varLEDLeft, it->second.left) << "end of phase " << phase;
            EXPECT_EQ(m.vars().intLEDRight, it->second.right) << "end of phase " << phase;
        }
    } while (m.phase() != 0);
    EXPECT_EQ(checked, atEnd.size());
}

TEST(LedMarquee, firstPhaseZeroLeavesPositionsTheLightsHaveNotReachedBlack)
{
    Marquee m;
    for (int t = 0; t < 5; ++t)
        m.tick();
    // Five ticks outward from 144/152: the lights rest at 112 and 184, unlit behind them.
    EXPECT_EQ(m.cells(), repeat(14, '.') + "L" + repeat(8, 'u') + "L" + repeat(14, '.'));

    m.finishPhase();
    EXPECT_EQ(m.cells(), "L" + repeat(36, 'u') + "L");
}

TEST(LedMarquee, phase18sSingleTickRelightsTheCentreGapItHasJustDarkened)
{
    Marquee m;
    m.runUntilPhase(18);
    ASSERT_EQ(m.cells(), repeat(18, 'L') + "uu" + repeat(18, 'L'));

    m.tick();
    EXPECT_EQ(m.cells(), repeat(38, 'L'));
    EXPECT_EQ(m.vars(), (LedMarquee::Variables{144, 152, 19, 0, 0}));
}

TEST(LedMarquee, phase20DarkensBothEndsAndItsLitCopiesOutsideTheBarChangeNothing)
{
    Marquee m;
    m.runUntilPhase(20);
    ASSERT_EQ(m.vars(), (LedMarquee::Variables{-8, 304, 20, 0, 0}));
    ASSERT_EQ(m.cells(), "L" + repeat(36, 'u') + "L");

    m.tick();
    EXPECT_EQ(m.cells(), repeat(38, 'u'));
    EXPECT_EQ(m.vars(), (LedMarquee::Variables{0, 296, 21, 0, 1}));
}

TEST(LedMarquee, lightsPassingEachOtherLeave144LitAnd152Unlit)
{
    for (const int phase : {21, 42, 44}) {
        Marquee m;
        m.runUntilPhase(phase);
        bool crossed = false;
        for (int t = 0; m.phase() == phase && t < 100; ++t) {
            const bool crossing = m.vars().varLEDLeft == 152 && m.vars().intLEDRight == 144;
            m.tick();
            if (crossing) {
                crossed = true;
                EXPECT_EQ(m.cells().substr(kCentreLeft, 2), "Lu") << "phase " << phase;
            }
        }
        EXPECT_TRUE(crossed) << "phase " << phase;
    }
}

TEST(LedMarquee, rightmostPositionShowsOnlyTheFirstFourColumnsOfACell)
{
    Marquee m;
    m.finishPhase();  // phase 0 ends with a lit cell at 296
    ASSERT_EQ(m.bar.width(), 300);
    for (int y = 2; y <= 22; ++y) {
        EXPECT_EQ(m.bar.pixel(296, y), 0x000000u) << y;  // outline
        EXPECT_EQ(m.bar.pixel(297, y), kLit.highlight) << y;
        EXPECT_EQ(m.bar.pixel(298, y), kLit.face) << y;
        EXPECT_EQ(m.bar.pixel(299, y), kLit.face) << y;
    }

    m.runUntilPhase(21);  // phase 20 has darkened it
    EXPECT_EQ(m.bar.pixel(297, 10), kUnlit.highlight);
    EXPECT_EQ(m.bar.pixel(299, 10), kUnlit.face);
}

TEST(LedMarquee, cycleRepeatsExactlyEvery536Ticks)
{
    Marquee m;
    m.runUntilPhase(45);
    m.finishPhase();
    const Surface bar = m.bar;
    const LedMarquee::Variables vars = m.vars();

    for (int t = 1; t <= LedMarquee::kCycleTicks; ++t) {
        m.tick();
        if (t < LedMarquee::kCycleTicks) {
            ASSERT_FALSE(m.phase() == 0 && m.vars() == vars) << "repeated early, after " << t;
        }
    }
    EXPECT_EQ(m.vars(), vars);
    EXPECT_TRUE(m.bar == bar);
}

// The window repaints only the areas a tick reports: every pixel that changed must lie in one of
// them, or the screen keeps a stale pixel; and each area must be the tight box around changed
// pixels, or the repaint reaches under the labels that overlap the bar's bottom row.
TEST(LedMarquee, eachTickReportsTightAreasAroundExactlyThePixelsItChanged)
{
    Marquee m;
    int bottomRowReports = 0;
    for (int t = 0; t < 2 * LedMarquee::kCycleTicks; ++t) {
        const Surface before = m.bar;
        const LedMarquee::ChangedCells changed = m.tick();
        std::vector<LedMarquee::Area> areas(changed.areas.begin(), changed.areas.begin() + changed.count);
        const auto covered = [&](int x, int y) {
            return std::any_of(areas.begin(), areas.end(), [&](const LedMarquee::Area& a) {
                return x >= a.x && x < a.x + a.width && y >= a.y && y < a.y + a.height;
            });
        };
        for (int y = 0; y < 25; ++y)
            for (int x = 0; x < 300; ++x)
                if (before.pixel(x, y) != m.bar.pixel(x, y)) {
                    ASSERT_TRUE(covered(x, y)) << "tick " << t << ": pixel (" << x << ", " << y << ") changed unreported";
                }
        for (const LedMarquee::Area& a : areas) {
            ASSERT_TRUE(a.x >= 0 && a.y >= 0 && a.x + a.width <= 300 && a.y + a.height <= 25 && a.width > 0)
                << "tick " << t << ": area outside the bar at x " << a.x;
            bottomRowReports += a.y + a.height == 25 ? 1 : 0;
        }
    }
    // Lit and unlit cells share their black outline; only the first cycle's black bar changes it.
    EXPECT_LE(bottomRowReports, 2 * 38);
}

} // namespace
