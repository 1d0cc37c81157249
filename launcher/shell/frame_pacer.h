// Frame pacing for displays that do not honour vertical sync (Xvfb, some virtual machines). Frames
// are normally paced by the renderer's vsync; when presents keep returning faster than the
// display refreshes, the pacer starts delaying frames to the refresh rate so an idle launcher
// does not burn a core. A delay is only ever added to a frame that came early, so the pacer is
// harmless where vsync works.
#pragma once

#include <cstdint>

namespace qm {

struct FramePacer {
  uint64_t periodNs = 16'666'667;
  bool throttling = false;  // vsync found not to be honoured
  int fastFrames = 0;       // consecutive presents that came much sooner than a refresh
  uint64_t lastPresentNs = 0;
  uint64_t dueNs = 0;  // when the next frame may start, while throttling
};

// `refreshHz` of 0 or less means unknown (60 Hz). `vsyncOn` false throttles from the start.
FramePacer MakeFramePacer(float refreshHz, bool vsyncOn);

// Called right after a present returned at `nowNs`: how long to wait before the next frame.
uint64_t FrameDelayNs(FramePacer& pacer, uint64_t nowNs);

}  // namespace qm
