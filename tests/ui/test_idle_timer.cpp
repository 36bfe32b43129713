// The framework timer on its own clock with the pages built: it sleeps while
// nothing moves, and what the pages show still comes on time.

#include "PagesFixture.h"

#include <thread>

namespace tolvane::testing {
namespace {

constexpr float kDriveX = 770.f, kDriveY = 189.f;
constexpr float kUpX = 1490.f, kSwitchY = 520.f;

class IdleTimerTest : public PagesTest {
protected:
    // Connected, and everything the connection started has run out.
    void ConnectAndSettle() {
        Connect();
        clock.Advance(3000);
        ASSERT_TRUE(plugin->FrameworkTimerAsleep());
    }
    double DriveKnob() const { return graphics->ControlAt(kDriveX, kDriveY)->GetValue(); }
};

// The pedal turns DRIVE: the audio thread applies it, and the next tick, at
// once, shows it; the display holds the value for its 60 ticks, then shows
// the preset number again, and the timer sleeps again.
TEST_F(IdleTimerTest, AKnobTurnedOnThePedalIsShownAtOnceAndHeldForItsTicks) {
    ConnectAndSettle();
    pedal.TurnKnob(kParamDrive, 110);
    std::thread([this] { Pump(); }).join(); // as the audio thread delivers it
    EXPECT_NE(Text(link::kTagNumberDisplay), "110");
    clock.Advance(kFrameworkTimerMs);
    EXPECT_EQ(Text(link::kTagNumberDisplay), "110");
    EXPECT_DOUBLE_EQ(DriveKnob(), 110.0 / 127.0);

    clock.Advance(58 * kFrameworkTimerMs); // 60 ticks since it arrived
    EXPECT_EQ(Text(link::kTagNumberDisplay), "110");
    clock.Advance(2 * kFrameworkTimerMs);
    EXPECT_EQ(Text(link::kTagNumberDisplay), "00");
    clock.Advance(1000);
    EXPECT_TRUE(plugin->FrameworkTimerAsleep());
}

// Holding the up switch is made on the user-interface thread; the timer wakes
// for it before the clock moves on and repeats as it always has.
TEST_F(IdleTimerTest, HoldingUpRepeatsWithTheTimerWokenByThePress) {
    ConnectAndSettle();
    test::Press(*graphics, kUpX, kSwitchY);
    clock.Advance(49 * kFrameworkTimerMs); // the first tick at once, then 49 more
    EXPECT_EQ(plugin->CurrentPreset(), 16);
    test::Release(*graphics, kUpX, kSwitchY);
    clock.Advance(3000);
    EXPECT_TRUE(plugin->FrameworkTimerAsleep());
}

} // namespace
} // namespace tolvane::testing
