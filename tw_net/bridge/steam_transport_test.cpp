#include "bridge/steam_transport.h"

#include <gtest/gtest.h>

#include <vector>

#include "bridge/steam_api.h"

namespace tw {
namespace {

uint64_t Id(uint32_t universe, uint32_t type, uint32_t instance, uint32_t account) {
  return uint64_t(universe) << 56 | uint64_t(type) << 52 | uint64_t(instance) << 32 | account;
}

TEST(SteamIds, ValidityRules) {
  struct Case {
    uint64_t id;
    bool valid;
    const char* what;
  } cases[] = {
      {76561198000000001ull, true, "an individual"},
      {Id(1, 1, 1, 0), false, "individual without an account number"},
      {Id(1, 1, 0, 5), false, "individual with instance 0"},
      {Id(1, 7, 0, 5), true, "clan"},
      {Id(1, 7, 1, 5), false, "clan with instance 1"},
      {Id(1, 3, 9, 5), true, "game server, any instance"},
      {Id(1, 3, 0, 0), false, "game server without an account number"},
      {Id(0, 1, 1, 5), false, "universe 0"},
      {Id(5, 1, 1, 5), false, "universe 5"},
      {Id(1, 0, 1, 5), false, "account type 0"},
      {Id(1, 11, 1, 5), false, "account type 11"},
      {Id(4, 10, 3, 0), true, "type 10, no further rule"},
      {0, false, "zero"},
  };
  for (const Case& c : cases) EXPECT_EQ(IsValidSteamId(c.id), c.valid) << c.what;
}

TEST(SteamIds, SendToNobodyFailsSilently) {
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(SendToPeer(0, 0, "x", 1));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
}  // namespace tw

namespace tw {
namespace {

// A runtime whose send answers from a script.
std::vector<int> scriptedResults;
int sends = 0;
int ScriptedSend(void*, const steam::NetworkingIdentity* identity, const void*, uint32_t, int flags, int channel) {
  EXPECT_EQ(identity->type, steam::kIdentitySteamId);
  EXPECT_EQ(identity->steamId64, 76561198000000002ull);
  EXPECT_EQ(flags, 8);  // reliable
  EXPECT_EQ(channel, 1);
  return scriptedResults[size_t(sends++)];
}

TEST(SendToPeer, RetriesWhileTooMuchIsQueuedAndReportsOtherResults) {
  SteamApi& api = Steam();
  const auto saved = api.MessagesSendMessageToUser;
  api.MessagesSendMessageToUser = ScriptedSend;
  scriptedResults = {25, 25, 25, 1, 2};
  sends = 0;
  ::testing::internal::CaptureStderr();
  EXPECT_TRUE(SendToPeer(76561198000000002ull, 1, "chunk", 5));
  EXPECT_EQ(sends, 4);
  EXPECT_FALSE(SendToPeer(76561198000000002ull, 1, "chunk", 5));
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "[tw_net] send failed: 2\n");
  api.MessagesSendMessageToUser = saved;
}

}  // namespace
}  // namespace tw
