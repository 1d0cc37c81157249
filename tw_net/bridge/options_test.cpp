#include "bridge/options.h"

#include <gtest/gtest.h>

namespace tw {
namespace {

TEST(Options, CommandLinesAndTheirMode) {
  struct Case {
    std::vector<std::string_view> args;
    Mode mode;
    int32_t gameListen, gameConnect, peerListen, peerConnect;
  } cases[] = {
      {{}, Mode::Usage, 0, 0, 0, 0},
      {{"--game-listen", "5000"}, Mode::Usage, 5000, 0, 0, 0},
      {{"--game-listen", "5000", "--peer-steam-any", "--peer-listen", "6000"}, Mode::SteamBridge, 5000, 0, 6000, 0},
      {{"--control", "0", "--game-connect", "1", "--peer-connect", "2"}, Mode::TcpBridge, 0, 1, 0, 2},
      {{"--game-listen", "--peer-steam-any"}, Mode::Usage, 0, 0, 0, 0},  // the flag is the port value
      {{"--control", "4000", "--game-listen", "1"}, Mode::LobbyService, 1, 0, 0, 0},
      {{"--game-connect", "1", "--peer-listen"}, Mode::Usage, 0, 1, 0, 0},  // missing value reads "0"
      {{"--game-connect", "7", "--game-connect", "8", "--peer-connect", "x9"}, Mode::Usage, 0, 8, 0, 0},
      {{"--bogus", "--game-connect", "3", "--peer-connect", "12abc"}, Mode::TcpBridge, 0, 3, 0, 12},
      {{"--Game-Listen", "1", "--peer-connect", "2"}, Mode::Usage, 0, 0, 0, 2},  // case-sensitive
  };
  for (const Case& c : cases) {
    const Options o = ParseOptions(c.args);
    EXPECT_EQ(SelectMode(o), c.mode) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o.gameListen, c.gameListen) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o.gameConnect, c.gameConnect) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o.peerListen, c.peerListen) << ::testing::PrintToString(c.args);
    EXPECT_EQ(o.peerConnect, c.peerConnect) << ::testing::PrintToString(c.args);
  }
}

TEST(Options, SteamIdsAndFlags) {
  const Options o = ParseOptions({"--peer-steam", "76561198000000001", "--spectate", "--spec-listen", "7000",
                                  "--spec-game", "7100", "--player-listen", "7200"});
  EXPECT_EQ(o.peerSteam, 76561198000000001ull);
  EXPECT_TRUE(o.spectate);
  EXPECT_EQ(o.specListen, 7000);
  EXPECT_EQ(o.specGame, 7100);
  EXPECT_EQ(o.playerListen, 7200);
  EXPECT_EQ(ParseOptions({"--peer-steam", "abc"}).peerSteam, 0u);
  EXPECT_EQ(kUsage.size(), 185u);
}

}  // namespace
}  // namespace tw
