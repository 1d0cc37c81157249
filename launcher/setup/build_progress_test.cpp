#include "setup/build_progress.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_install.h"

namespace qm {
namespace {

TEST(BuildProgress, ProgressLinesByTheirPrefix) {
  SetupJob job;
  struct Step {
    const char* line;
    double now;
    std::string progress;
    int percent;
    std::string error;
    double anchor;
  } steps[] = {
      {"## Extracting the disc", 1, "Extracting the disc", 0, "", 0},
      {"%% 12", 2, "Extracting the disc", 12, "", 0},
      {"##  two spaces kept\r", 3, " two spaces kept", 12, "", 0},
      {"%%  27 percent", 4, " two spaces kept", 27, "", 4},  // white space skipped; the anchor is set
      {"%% 40", 5, " two spaces kept", 40, "", 4},           // set once
      {"%% abc", 6, " two spaces kept", 0, "", 4},           // no digits give 0
      {"ERROR: Disc unreadable", 7, " two spaces kept", 0, "Disc unreadable", 4},
      {"error: ignored", 8, " two spaces kept", 0, "Disc unreadable", 4},  // case-sensitive
      {"##", 9, " two spaces kept", 0, "Disc unreadable", 4},              // shorter than 3 bytes
      {"%% 250", 10, " two spaces kept", 250, "Disc unreadable", 4},       // kept as printed
  };
  for (const Step& step : steps) {
    ApplyProgressLine(job, step.line, step.now);
    EXPECT_EQ(job.progressLine, step.progress) << step.line;
    EXPECT_EQ(job.percent, step.percent) << step.line;
    EXPECT_EQ(job.errorLine, step.error) << step.line;
    EXPECT_EQ(job.anchorTime, step.anchor) << step.line;
  }
}

TEST(BuildProgress, TimeLineAndEstimate) {
  struct Case {
    double start, anchor, now;
    int percent;
    const char* expected;
  } cases[] = {
      {0, 0, 7, 0, "0:07 elapsed  \u00b7  estimating time left..."},
      {0, 0, 75 * 60 + 2, 0, "75:02 elapsed  \u00b7  estimating time left..."},
      {0, 100, 400, 57, "6:40 elapsed  \u00b7  about 7 minutes left"},
      {0, 100, 160, 87, "2:40 elapsed  \u00b7  under a minute left"},
      {0, 100, 200, 30, "3:20 elapsed  \u00b7  estimating time left..."},  // below 31
      {0, 100, 100, 40, "1:40 elapsed  \u00b7  under a minute left"},      // anchored at this poll
      {0, 100, 150, 52, "2:30 elapsed  \u00b7  about 2 minutes left"},     // 48 * 2 s = 1.6 minutes
      {0, 100, 162, 58, "2:42 elapsed  \u00b7  about 1 minute left"},      // 42 * 2 s = 1.4 minutes
      {0, 100, 500, 100, "8:20 elapsed  \u00b7  under a minute left"},
  };
  for (const Case& c : cases) {
    SetupJob job;
    job.startTime = c.start;
    job.anchorTime = c.anchor;
    job.percent = c.percent;
    EXPECT_EQ(BuildTimeLine(job, c.now), c.expected) << c.now << " " << c.percent;
  }
}

// Applies a whole log at once, as a full read would.
SetupJob FullRead(const std::string& text) {
  SetupJob job;
  size_t start = 0;
  for (size_t end; start < text.size(); start = end + 1) {
    end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    ApplyProgressLine(job, std::string_view(text).substr(start, end - start), 1);
  }
  return job;
}

TEST(BuildProgress, ReadingOnlyWhatWasAddedEqualsAFullRead) {
  test::TempInstall install;
  const std::string log =
      "args: []\n## Extracting the disc\n%% 12\nnoise\r\n## Recompiling\r\n%% 33\nERROR: first\nERROR: second\n## "
      "Linki";
  SetupJob job;
  job.logPath = install.root() / "setup_brawl.log";
  // The script writes in pieces that cut lines anywhere; the reader polls after each.
  for (size_t cut : {0ul, 5ul, 23ul, 24ul, 40ul, 41ul, 77ul, 90ul, log.size() - 3, log.size()}) {
    std::ofstream(job.logPath, std::ios::binary) << log.substr(0, cut);
    ReadNewLogLines(job, 1);
    const SetupJob full = FullRead(log.substr(0, cut));
    EXPECT_EQ(job.progressLine, full.progressLine) << cut;
    EXPECT_EQ(job.percent, full.percent) << cut;
    EXPECT_EQ(job.errorLine, full.errorLine) << cut;
  }
  EXPECT_EQ(job.progressLine, "Linki");  // the unfinished last line counts as it stands
  std::ofstream(job.logPath, std::ios::binary | std::ios::app) << "ng\n";
  ReadNewLogLines(job, 1);
  EXPECT_EQ(job.progressLine, "Linking");

  // A new build truncates the log: reading starts again from its beginning.
  std::ofstream(job.logPath, std::ios::binary) << "%% 5\n";
  ReadNewLogLines(job, 1);
  EXPECT_EQ(job.percent, 5);
}

TEST(BuildProgress, AHugeLogIsReadInBoundedSteps) {
  test::TempInstall install;
  SetupJob job;
  job.logPath = install.root() / "setup_rex.log";
  {
    std::ofstream out(job.logPath, std::ios::binary);
    const std::string noise(1000, 'x');
    for (int i = 0; i < 20000; ++i) out << noise << "\n";  // 20 MB of compiler output
    out << "%% 64\n";
  }
  int polls = 0;
  while (job.percent != 64 && polls < 100) {
    ReadNewLogLines(job, 1, 4u << 20);
    ++polls;
  }
  EXPECT_EQ(job.percent, 64);
  EXPECT_GE(polls, 5);  // never the whole file in one frame
}

}  // namespace
}  // namespace qm
