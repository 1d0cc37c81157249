#include "bridge/log.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(RedactLogLine, KeepsNamesAndSteamIdsOutOfTheLog) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"-> FRIEND 76561198000000001 1 Name", ""},
      {"-> MEMBER 76561198000000001 2 Some Name", "-> MEMBER id-0001 2"},
      {"-> LOBBY 109775241100000000 2 0 My Room", "-> LOBBY 109775241100000000 2 0"},
      {"-> ME 76561198000000001 Alice Smith", "-> ME id-0001"},
      {"-> PEER 76561198000000001 Bob", "-> PEER id-0001"},
      {"-> WATCHER 76561198000000001 Carol", "-> WATCHER id-0001"},
      {"-> PEER_LEFT 76561198000000001", "-> PEER_LEFT id-0001"},  // no tag of its own
      {"-> MEMBER 76561198000000001", "-> MEMBER id-0001"},        // fewer fields than kept
      {"Steam running as Alice (76561198000000001)", "Steam running as (id-0001)"},
      {"Steam running as Alice", "Steam running as Alice"},            // no bracket after the phrase
      {"peer 12345678901234567 left", "peer 12345678901234567 left"},  // 17 digits, another start
      {"lobby 765611980000000012", "lobby 765611980000000012"},        // 18 digits
      {"a76561198000000001b 76561197999999999", "aid-0001b id-9999"},
      {"", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(RedactLogLine(c.text), c.expected) << c.text;
}

TEST(LogLine, WritesOneFilteredLine) {
  ::testing::internal::CaptureStderr();
  LogLine("%s", "");
  LogLine("-> FRIEND %llu 1 %s", 76561198000000001ull, "Name");
  LogLine("game closed (%llu bytes sent)", 42ull);
  LogLine("%s", std::string(3000, 'x').c_str());
  const std::string out = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(out, "[tw_net] \n[tw_net] game closed (42 bytes sent)\n[tw_net] " + std::string(2047, 'x') + "\n");
}

}  // namespace
}  // namespace tw
