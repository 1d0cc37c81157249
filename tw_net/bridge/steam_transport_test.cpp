#include "bridge/steam_transport.h"

#include <gtest/gtest.h>

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
