#include "shell/frame_pacer.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// Simulates a display for one second: each frame takes `drawNs` to draw, then the present returns
// at once (vsync not honoured) or at the next refresh (honoured). Returns the frames presented.
int FramesInOneSecond(FramePacer pacer, bool vsyncHonoured, uint64_t drawNs, uint64_t* totalDelayNs = nullptr) {
  const uint64_t refresh = 16'666'667;
  uint64_t now = 1'000'000, delays = 0;
  int frames = 0;
  while (now < 1'001'000'000ull) {
    now += drawNs;
    if (vsyncHonoured) now = (now / refresh + 1) * refresh;
    ++frames;
    const uint64_t delay = FrameDelayNs(pacer, now);
    delays += delay;
    now += delay;
  }
  if (totalDelayNs) *totalDelayNs = delays;
  return frames;
}

TEST(FramePacer, CapsAnUnsyncedDisplayAtItsRefreshRate) {
  const int frames = FramesInOneSecond(MakeFramePacer(60.0f, true), false, 500'000);
  EXPECT_GE(frames, 59);
  EXPECT_LE(frames, 70);  // a few fast frames before the pacer is sure
  EXPECT_NEAR(FramesInOneSecond(MakeFramePacer(0.0f, false), false, 500'000), 60, 1);  // unknown rate: 60 Hz
  EXPECT_NEAR(FramesInOneSecond(MakeFramePacer(144.0f, false), false, 500'000), 144, 1);
}

TEST(FramePacer, NeverDelaysWhereVsyncWorks) {
  uint64_t delays = 0;
  EXPECT_NEAR(FramesInOneSecond(MakeFramePacer(60.0f, true), true, 2'000'000, &delays), 60, 1);
  EXPECT_EQ(delays, 0u);
}

TEST(FramePacer, ASlowFrameDoesNotCauseABurst) {
  FramePacer pacer = MakeFramePacer(60.0f, false);
  uint64_t now = 1'000'000;
  for (int i = 0; i < 10; ++i) now += 1'000 + FrameDelayNs(pacer, now);
  now += 500'000'000;  // a long stall
  // The schedule restarts: the next frame waits a full period again instead of racing to catch up.
  EXPECT_GT(FrameDelayNs(pacer, now), 16'000'000u);
}

}  // namespace
}  // namespace qm
