// The stand-in runtime library's C surface, driven as tw_net drives the runtime: one signed-in
// user (the library is one per process) against a real hub.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

extern "C" {
int SteamInternal_SteamAPI_Init(const char* versions, char* errorText);
bool SteamAPI_ManualDispatch_GetNextCallback(int32_t pipe, void* msg);
void SteamAPI_ManualDispatch_FreeLastCallback(int32_t pipe);
bool SteamAPI_ManualDispatch_GetAPICallResult(int32_t pipe, uint64_t call, void* out, int size, int expected,
                                              bool* failed);
void* SteamAPI_SteamMatchmaking_v009();
uint64_t SteamAPI_ISteamMatchmaking_CreateLobby(void*, int type, int maxMembers);
bool SteamAPI_ISteamMatchmaking_SetLobbyData(void*, uint64_t lobby, const char* key, const char* value);
const char* SteamAPI_ISteamMatchmaking_GetLobbyData(void*, uint64_t lobby, const char* key);
uint64_t SteamAPI_ISteamMatchmaking_GetLobbyOwner(void*, uint64_t lobby);
int SteamAPI_ISteamMatchmaking_GetNumLobbyMembers(void*, uint64_t lobby);
void SteamAPI_ISteamMatchmaking_AddRequestLobbyListStringFilter(void*, const char*, const char*, int);
uint64_t SteamAPI_ISteamMatchmaking_RequestLobbyList(void*);
uint64_t SteamAPI_ISteamMatchmaking_GetLobbyByIndex(void*, int);
}

namespace {

#pragma pack(push, 4)
struct CallbackMsg {
  int32_t user, callback;
  uint8_t* param;
  int32_t paramSize;
};
struct CallCompleted {
  uint64_t call;
  int32_t callback;
  uint32_t size;
};
struct LobbyCreated {
  int32_t result;
  uint64_t lobby;
};
#pragma pack(pop)

class StubAgainstHub : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string ports = ::testing::TempDir() + "/stub_hub_ports_" + std::to_string(::getpid());
    std::remove(ports.c_str());
    hub_ = ::fork();
    if (hub_ == 0) {
      ::prctl(PR_SET_PDEATHSIG, SIGKILL);  // the hub never outlives the test
      ::execlp("python3", "python3", QM_STEAM_HUB, "--port-file", ports.c_str(), (char*)nullptr);
      ::_exit(127);
    }
    int port = 0;
    for (int i = 0; i < 400 && port == 0; ++i) {
      std::ifstream(ports) >> port;
      if (port == 0) std::this_thread::sleep_for(std::chrono::milliseconds(25));
    }
    ASSERT_NE(port, 0) << "the hub did not start";
    ::setenv("QM_STEAM_HUB", std::to_string(port).c_str(), 1);
    ::setenv("QM_STEAM_ID", "76561198000000001", 1);
    ::setenv("QM_STEAM_NAME", "Host", 1);
  }
  void TearDown() override {
    if (hub_ > 0) {
      ::kill(hub_, SIGTERM);
      int status;
      ::waitpid(hub_, &status, 0);
    }
  }
  // Waits (at most 5 s) for a callback with `id`; returns its payload.
  std::string WaitCallback(int id) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (std::chrono::steady_clock::now() < deadline) {
      CallbackMsg msg{};
      while (SteamAPI_ManualDispatch_GetNextCallback(1, &msg)) {
        const std::string payload(reinterpret_cast<char*>(msg.param), size_t(msg.paramSize));
        const int got = msg.callback;
        SteamAPI_ManualDispatch_FreeLastCallback(1);
        if (got == id) return payload;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
  }
  pid_t hub_ = 0;
};

TEST_F(StubAgainstHub, LobbiesThroughCallResults) {
  char error[1024] = {};
  ASSERT_EQ(SteamInternal_SteamAPI_Init("", error), 0) << error;
  void* mm = SteamAPI_SteamMatchmaking_v009();
  const uint64_t call = SteamAPI_ISteamMatchmaking_CreateLobby(mm, 2, 10);
  ASSERT_NE(call, 0u);
  const std::string done = WaitCallback(703);
  ASSERT_EQ(done.size(), sizeof(CallCompleted));
  const auto completed = *reinterpret_cast<const CallCompleted*>(done.data());
  EXPECT_EQ(completed.call, call);
  EXPECT_EQ(completed.callback, 513);
  LobbyCreated created{};
  bool failed = true;
  ASSERT_TRUE(SteamAPI_ManualDispatch_GetAPICallResult(1, call, &created, sizeof created, 513, &failed));
  EXPECT_FALSE(failed);
  const int32_t result = created.result;
  const uint64_t lobby = created.lobby;  // packed fields are copied before use
  EXPECT_EQ(result, 1);
  EXPECT_EQ(std::to_string(lobby).size(), 18u);
  EXPECT_EQ(WaitCallback(504).size(), 20u);  // LobbyEnter_t, packed to 4 here

  EXPECT_EQ(SteamAPI_ISteamMatchmaking_GetLobbyOwner(mm, lobby), 76561198000000001ull);
  EXPECT_EQ(SteamAPI_ISteamMatchmaking_GetNumLobbyMembers(mm, lobby), 1);
  EXPECT_TRUE(SteamAPI_ISteamMatchmaking_SetLobbyData(mm, lobby, "tw", "brawl:v1.0"));
  EXPECT_STREQ(SteamAPI_ISteamMatchmaking_GetLobbyData(mm, lobby, "tw"), "brawl:v1.0");
  EXPECT_STREQ(SteamAPI_ISteamMatchmaking_GetLobbyData(mm, lobby, "missing"), "");
  EXPECT_FALSE(WaitCallback(505).empty());  // the data update reaches the member

  SteamAPI_ISteamMatchmaking_AddRequestLobbyListStringFilter(mm, "tw", "brawl:v1.0", 0);
  const uint64_t list = SteamAPI_ISteamMatchmaking_RequestLobbyList(mm);
  for (;;) {
    const std::string d = WaitCallback(703);
    ASSERT_FALSE(d.empty());
    if (reinterpret_cast<const CallCompleted*>(d.data())->call == list) break;
  }
  uint32_t count = 0;
  ASSERT_TRUE(SteamAPI_ManualDispatch_GetAPICallResult(1, list, &count, sizeof count, 510, &failed));
  EXPECT_EQ(count, 1u);
  EXPECT_EQ(SteamAPI_ISteamMatchmaking_GetLobbyByIndex(mm, 0), lobby);
}

}  // namespace
