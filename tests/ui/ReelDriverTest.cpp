#include "ui/ReelDriver.h"

#include "game/GameFixture.h"

#include <optional>
#include <vector>

namespace {

// Records what it is armed with; the test fires it.
class FakeTimer final : public OneShotTimer {
public:
    void startIn(std::int64_t microseconds) override
    {
        armed.push_back(microseconds);
        active = true;
    }
    void stop() override { active = false; }
    bool isActive() const override { return active; }
    void setTimeoutHandler(std::function<void()> handler) override { handler_ = std::move(handler); }
    // The event loop runs the handler, armed or not: a timeout already queued when stopped.
    void fire()
    {
        active = false;
        handler_();
    }

    std::vector<std::int64_t> armed;
    bool active = false;

private:
    std::function<void()> handler_;
};

class FakePresenter final : public ScreenPresenter {
public:
    std::optional<std::int64_t> present(Stamped stamped) override
    {
        ++presents;
        later.push_back(std::move(stamped));
        return now;
    }
    int presents = 0;
    std::optional<std::int64_t> now;  // nothing: the server stamps it later
    std::vector<Stamped> later;
};

class FakeModal final : public ModalState {
public:
    bool modalOpen() const override { return open; }
    bool open = false;
};

struct ReelDriving : GameFixture {
    ReelDriving()
    {
        view.presentStop = [this] { return driver.presentStop(); };
    }
    // Lets the armed time pass on the clock, as the event loop would, then fires.
    void fireWhenDue()
    {
        ASSERT_TRUE(timer.active && !timer.armed.empty());
        clock.advanceMicroseconds(timer.armed.back());
        timer.fire();
    }

    FakeTimer timer;
    FakePresenter presenter;
    FakeModal modal;
    ReelDriver driver{game, clock, timer, presenter, modal};
};

TEST_F(ReelDriving, eachTickArmsTheTimerWithTheDelayOfTheSpeedTheReelRunsAt)
{
    game.start();
    driver.arm();
    EXPECT_EQ(timer.armed, std::vector<std::int64_t>{0}) << "the reel starts on the next pass";
    // A miss, then a hit, on each pair of ticks: eight slow-downs and the stop.
    for (int step = 0; step < 9; ++step) {
        random.script.push_back(0.5);
        random.script.push_back(0.0);
    }
    while (timer.active)
        fireWhenDue();
    const std::vector<std::int64_t> expected{0,      5'000,  9'000,  9'000,  13'000, 13'000, 17'000, 17'000, 21'000, 21'000,
                                             25'000, 25'000, 29'000, 29'000, 33'000, 33'000, 37'000, 37'000};
    EXPECT_EQ(timer.armed, expected);
    EXPECT_TRUE(game.state().bolStop);
    EXPECT_FALSE(timer.active) << "nothing is armed while the reel stands";
}

// A miss while the reel scrolls arms the driver again; the tick already on its way keeps its time,
// or every key would make the reel jump ahead.
TEST_F(ReelDriving, aKeyWhileATickIsAlreadyScheduledDoesNotMoveThatTick)
{
    game.start();
    driver.arm();
    fireWhenDue();
    ASSERT_TRUE(timer.active);
    const std::vector<std::int64_t> armed = timer.armed;
    clock.advanceMilliseconds(2);
    game.KeyClick('1');
    driver.arm();
    EXPECT_EQ(timer.armed, armed);
    EXPECT_TRUE(timer.active);
}

TEST_F(ReelDriving, aStopIsPresentedAndItsMomentIsTheOneThePresenterReports)
{
    struct Case {
        const char* what;
        std::optional<std::int64_t> presentedAt;
    };
    const Case cases[] = {{"known at once", 123'456'789}, {"stamped later by the server", std::nullopt}};
    for (const Case& c : cases) {
        presenter.now = c.presentedAt;
        presenter.later.clear();
        const int before = presenter.presents;
        game.start();
        random.queueHits(9);
        driver.arm();
        while (timer.active)
            fireWhenDue();
        ASSERT_TRUE(game.state().bolStop) << c.what;
        EXPECT_EQ(presenter.presents, before + 1) << c.what;
        EXPECT_EQ(game.state().lngStart, c.presentedAt.value_or(GameState::kNotShownYet)) << c.what;
        if (!c.presentedAt) {
            presenter.later.back()(987'654'321);
            EXPECT_EQ(game.state().lngStart, 987'654'321) << c.what;
        }
    }
}

TEST_F(ReelDriving, aLateStampOfAnEarlierStopDoesNotBecomeTheTimeOfANewerOne)
{
    presenter.now = std::nullopt;
    for (int stop = 0; stop < 2; ++stop) {
        game.start();  // the first stop is abandoned before its stamp comes
        random.queueHits(9);
        driver.arm();
        while (timer.active)
            fireWhenDue();
    }
    ASSERT_EQ(presenter.later.size(), 2u);
    presenter.later[0](111);
    EXPECT_EQ(game.state().lngStart, GameState::kNotShownYet);
    presenter.later[1](222);
    EXPECT_EQ(game.state().lngStart, 222);
}

TEST_F(ReelDriving, theReelStandsStillWhileAModalBoxIsOpenAndGoesOnWhenItCloses)
{
    game.start();
    driver.arm();
    fireWhenDue();
    ASSERT_TRUE(timer.active);
    const auto offset = game.state().intReelX;

    modal.open = true;
    driver.modalChanged();
    EXPECT_FALSE(timer.active);
    random.queueHits(20);
    timer.fire();  // a timeout that was already on its way
    driver.arm();  // a key or the start button while the box is open
    EXPECT_FALSE(timer.active);
    EXPECT_EQ(game.state().intReelX, offset);
    EXPECT_EQ(game.state().intWait, 5) << "no hit was rolled";

    modal.open = false;
    driver.modalChanged();
    EXPECT_TRUE(timer.active);
    EXPECT_EQ(timer.armed.back(), 0);
    fireWhenDue();
    EXPECT_EQ(game.state().intReelX, offset + 4);
}

} // namespace
