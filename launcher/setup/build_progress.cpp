#include "setup/build_progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "game/game_settings.h"

namespace qm {

void ApplyProgressLine(SetupJob& job, std::string_view line, double now) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() < 3) return;
  if (line.substr(0, 3) == "## ") {
    job.progressLine = line.substr(3);
  } else if (line.substr(0, 3) == "%% ") {
    // Leading white space, then digits; the sign of a setting number does not apply here.
    std::string_view rest = line.substr(3);
    while (!rest.empty() && (rest.front() == ' ' || (rest.front() >= '\t' && rest.front() <= '\r')))
      rest.remove_prefix(1);
    job.percent = (!rest.empty() && rest.front() >= '0' && rest.front() <= '9') ? ReadSettingNumber(rest) : 0;
    if (job.percent >= 27 && job.anchorTime == 0) job.anchorTime = now;
  } else if (line.size() >= 7 && line.substr(0, 7) == "ERROR: ") {
    job.errorLine = line.substr(7);
  }
}

void ReadNewLogLines(SetupJob& job, double now, uint64_t maxBytes) {
  std::ifstream log(job.logPath, std::ios::binary);
  if (!log) return;
  log.seekg(0, std::ios::end);
  const uint64_t size = uint64_t(std::streamoff(log.tellg()));
  if (size < job.logOffset) {  // the log was replaced: read it from its start again
    job.logOffset = 0;
    job.partialLine.clear();
  }
  log.seekg(std::streamoff(job.logOffset));
  std::string chunk(size_t(std::min<uint64_t>(size - job.logOffset, maxBytes)), '\0');
  log.read(chunk.data(), std::streamsize(chunk.size()));
  chunk.resize(size_t(log.gcount()));
  job.logOffset += chunk.size();

  size_t start = 0;
  for (size_t end; (end = chunk.find('\n', start)) != std::string::npos; start = end + 1) {
    if (!job.partialLine.empty()) {
      job.partialLine.append(chunk, start, end - start);
      ApplyProgressLine(job, job.partialLine, now);
      job.partialLine.clear();
    } else {
      ApplyProgressLine(job, std::string_view(chunk).substr(start, end - start), now);
    }
  }
  job.partialLine.append(chunk, start, std::string::npos);
  if (!job.partialLine.empty()) ApplyProgressLine(job, job.partialLine, now);
}

std::optional<int> PollBuild(SetupJob& job, double now) {
  if (job.phase != SetupPhase::Building || now < job.nextPoll) return std::nullopt;
  job.nextPoll = now + 0.5;
  ReadNewLogLines(job, now);
  int exitCode = 0;
  if (!ProcessEnded(job.process, exitCode)) return std::nullopt;
  // The script is gone: take whatever it wrote last before judging its end.
  for (uint64_t before = ~0ull; before != job.logOffset;) {
    before = job.logOffset;
    ReadNewLogLines(job, now);
  }
  return exitCode;
}

std::string BuildTimeLine(const SetupJob& job, double now) {
  const long long secs = (long long)(now - job.startTime);
  char elapsed[48];
  std::snprintf(elapsed, sizeof elapsed, "%lld:%02lld elapsed", secs / 60, secs % 60);
  std::string line = elapsed;
  if (job.anchorTime > 0 && job.percent >= 31) {
    const double rate = (now - job.anchorTime) / double(job.percent - 27);
    const long long m = (long long)(((100 - job.percent) * rate) / 60.0 + 0.5);
    std::string estimate = m <= 0   ? "under a minute"
                           : m == 1 ? "about 1 minute"
                                    : "about " + std::to_string(m) + " minutes";
    line += "  \u00b7  " + estimate + " left";
  } else {
    line += "  \u00b7  estimating time left...";
  }
  return line;
}

void DrawBuildProgress(ImDrawList* list, ImVec2 cardMin, ImVec2 cardMax, ImVec4 accent, float s, ImFont* fontSmall,
                       const SetupJob& job, double now, float t) {
  const float left = cardMin.x + 34 * s, right = cardMax.x - 18 * s;
  const float top = cardMax.y - 22 * s, bottom = top + 7 * s;
  list->AddRectFilled(ImVec2(left, top), ImVec2(right, bottom), IM_COL32(255, 255, 255, 26), 4 * s);
  const float f = std::clamp(float(job.percent) / 100.0f, 0.0f, 1.0f);
  if (f > 0) {
    const float fillRight = left + (right - left) * f;
    list->AddRectFilled(ImVec2(left, top), ImVec2(fillRight, bottom),
                        ImGui::ColorConvertFloat4ToU32(ImVec4(accent.x, accent.y, accent.z, 0.95f)), 4 * s);
    const float c = left + std::fmod(0.6f * t, 1.0f) * (fillRight - left);
    const float b0 = std::max(c - 40 * s, left), b1 = std::min(c + 40 * s, fillRight);
    if (b1 > b0)
      list->AddRectFilledMultiColor(ImVec2(b0, top), ImVec2(b1, bottom), IM_COL32(255, 255, 255, 0),
                                    IM_COL32(255, 255, 255, 90), IM_COL32(255, 255, 255, 90),
                                    IM_COL32(255, 255, 255, 0));
  }
  const std::string text = BuildTimeLine(job, now);
  list->AddText(fontSmall, fontSmall->LegacySize, ImVec2(left, top - fontSmall->LegacySize - 4 * s),
                IM_COL32(150, 156, 172, 255), text.c_str());
}

}  // namespace qm
