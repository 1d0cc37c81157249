// Following a running build: the progress lines the script prints into its log ("## " step,
// "%% " percentage, "ERROR: " failure), the time line with its estimate, and the progress bar on
// the game's card.
#pragma once

#include <imgui.h>

#include <optional>
#include <string>
#include <string_view>

#include "setup/setup_job.h"

namespace qm {

// Applies one log line (without its line end) to the job.
void ApplyProgressLine(SetupJob& job, std::string_view line, double now);

// Reads what the log gained since the last read and applies it; a last line without a line feed
// is applied as it stands and again once it is complete, so the result is that of reading the
// whole log. `maxBytes` bounds one read so a huge burst never stalls a frame.
void ReadNewLogLines(SetupJob& job, double now, uint64_t maxBytes = 4u << 20);

// One step of the frame loop while Building: every half second reads the log and tests the
// script. Returns its exit code once it has ended (the caller then calls FinishBuild).
std::optional<int> PollBuild(SetupJob& job, double now);

// "%d:%02d elapsed", then "  ·  " and the estimate of the time left, or "estimating time left...".
std::string BuildTimeLine(const SetupJob& job, double now);

// The progress bar and time line inside the card rectangle of the game being built.
void DrawBuildProgress(ImDrawList* list, ImVec2 cardMin, ImVec2 cardMax, ImVec4 accent, float s, ImFont* fontSmall,
                       const SetupJob& job, double now, float t);

}  // namespace qm
