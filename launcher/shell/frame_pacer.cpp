#include "shell/frame_pacer.h"

namespace qm {

namespace {
// Presents spaced closer than this share of a refresh cannot have waited for vsync.
constexpr double kFastShare = 0.75;
constexpr int kFastFramesToThrottle = 8;
}  // namespace

FramePacer MakeFramePacer(float refreshHz, bool vsyncOn) {
  FramePacer pacer;
  const double hz = refreshHz > 0 ? refreshHz : 60.0;
  pacer.periodNs = uint64_t(1e9 / hz);
  pacer.throttling = !vsyncOn;
  return pacer;
}

uint64_t FrameDelayNs(FramePacer& pacer, uint64_t nowNs) {
  if (!pacer.throttling && pacer.lastPresentNs != 0) {
    if (double(nowNs - pacer.lastPresentNs) < kFastShare * double(pacer.periodNs)) {
      if (++pacer.fastFrames >= kFastFramesToThrottle) pacer.throttling = true;
    } else {
      pacer.fastFrames = 0;
    }
  }
  pacer.lastPresentNs = nowNs;
  if (!pacer.throttling) return 0;
  // A fixed schedule, so sleep overshoot does not accumulate; after a long stall
  // (a minimised window, a slow frame) the schedule restarts from now.
  if (pacer.dueNs == 0 || nowNs > pacer.dueNs + pacer.periodNs) pacer.dueNs = nowNs;
  pacer.dueNs += pacer.periodNs;
  return pacer.dueNs > nowNs ? pacer.dueNs - nowNs : 0;
}

}  // namespace qm
