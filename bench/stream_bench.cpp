// Loopback figures for one game stream through a chain of relays: game A, relay, relay, game B.
// Compares tw_net's TCP bridge with a pair of socat relays and with a direct connection:
// throughput with 64 KiB writes for 10 s each way, and the round trip of 64-byte messages.
// Usage: stream_bench TW_NET [SECONDS]
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

int FreePort() {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  socklen_t len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  close(s);
  return ntohs(a.sin_port);
}

void NoDelay(int s) {
  const int one = 1;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
}

int Listen(int port) {
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  const int one = 1;
  setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(uint16_t(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(s, 4) != 0) {
    std::perror("listen");
    std::exit(1);
  }
  return s;
}

int Connect(int port) {
  const auto deadline = Clock::now() + std::chrono::seconds(20);
  for (;;) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
      NoDelay(s);
      return s;
    }
    close(s);
    if (Clock::now() > deadline) {
      std::fprintf(stderr, "could not connect to %d\n", port);
      std::exit(1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
}

pid_t Spawn(const std::vector<std::string>& args) {
  const pid_t pid = fork();
  if (pid == 0) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    freopen("/dev/null", "w", stderr);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  return pid;
}

struct Chain {
  int a = -1, b = -1;  // game A's and game B's ends
  std::vector<pid_t> relays;
};

// Game A listens; the relays of `kind` are started between it and game B, which connects last.
Chain Make(const char* kind, const std::string& twNet) {
  Chain chain;
  const int portA = FreePort(), peer = FreePort(), portB = FreePort();
  const int listener = Listen(portA);
  const std::string k = kind;
  int connectTo = portA;
  if (k == "tw_net") {
    chain.relays.push_back(
        Spawn({twNet, "--game-connect", std::to_string(portA), "--peer-listen", std::to_string(peer)}));
    chain.relays.push_back(
        Spawn({twNet, "--peer-connect", std::to_string(peer), "--game-listen", std::to_string(portB)}));
    connectTo = portB;
  } else if (k == "socat") {
    chain.relays.push_back(
        Spawn({"socat", "-b65536", "TCP-LISTEN:" + std::to_string(peer) + ",bind=127.0.0.1,reuseaddr,nodelay",
               "TCP:127.0.0.1:" + std::to_string(portA) + ",nodelay"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    chain.relays.push_back(
        Spawn({"socat", "-b65536", "TCP-LISTEN:" + std::to_string(portB) + ",bind=127.0.0.1,reuseaddr,nodelay",
               "TCP:127.0.0.1:" + std::to_string(peer) + ",nodelay"}));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    connectTo = portB;
  }
  chain.b = Connect(connectTo);
  chain.a = accept(listener, nullptr, nullptr);
  NoDelay(chain.a);
  close(listener);
  return chain;
}

void End(Chain& chain) {
  close(chain.a);
  close(chain.b);
  for (pid_t pid : chain.relays) {
    kill(pid, SIGTERM);
    int status;
    waitpid(pid, &status, 0);
  }
}

double Throughput(int from, int to, double seconds) {
  std::atomic<bool> stop{false};
  std::atomic<uint64_t> received{0};
  std::thread reader([&] {
    std::vector<char> buffer(1 << 16);
    while (!stop.load()) {
      const ssize_t n = recv(to, buffer.data(), buffer.size(), 0);
      if (n <= 0) break;
      received += uint64_t(n);
    }
  });
  std::vector<char> chunk(1 << 16, 'x');
  const auto start = Clock::now();
  const auto end = start + std::chrono::duration<double>(seconds);
  while (Clock::now() < end) send(from, chunk.data(), chunk.size(), MSG_NOSIGNAL);
  const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();
  const uint64_t got = received.load();  // what arrived while the sender ran
  stop = true;
  shutdown(to, SHUT_RD);
  reader.join();
  return double(got) / elapsed / 1e6;
}

void RoundTrips(int a, int b, std::vector<double>& us) {
  std::thread echo([&] {
    char buffer[64];
    for (size_t i = 0; i < us.size(); ++i) {
      size_t got = 0;
      while (got < sizeof buffer) {
        const ssize_t n = recv(b, buffer + got, sizeof buffer - got, 0);
        if (n <= 0) return;
        got += size_t(n);
      }
      send(b, buffer, sizeof buffer, MSG_NOSIGNAL);
    }
  });
  char message[64] = {};
  for (double& sample : us) {
    const auto start = Clock::now();
    send(a, message, sizeof message, MSG_NOSIGNAL);
    size_t got = 0;
    while (got < sizeof message) {
      const ssize_t n = recv(a, message + got, sizeof message - got, 0);
      if (n <= 0) break;
      got += size_t(n);
    }
    sample = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
  }
  echo.join();
  std::sort(us.begin(), us.end());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: stream_bench TW_NET [SECONDS]\n");
    return 2;
  }
  signal(SIGPIPE, SIG_IGN);
  const double seconds = argc > 2 ? std::atof(argv[2]) : 10.0;
  std::printf("%-8s %12s %12s %12s %12s\n", "chain", "A->B MB/s", "B->A MB/s", "rtt median", "rtt p99");
  for (const char* kind : {"direct", "socat", "tw_net"}) {
    std::vector<double> us(5000);
    Chain rtt = Make(kind, argv[1]);
    RoundTrips(rtt.a, rtt.b, us);
    End(rtt);
    Chain forward = Make(kind, argv[1]);
    const double ab = Throughput(forward.a, forward.b, seconds);
    End(forward);
    Chain backward = Make(kind, argv[1]);
    const double ba = Throughput(backward.b, backward.a, seconds);
    End(backward);
    std::printf("%-8s %12.0f %12.0f %10.1f us %10.1f us\n", kind, ab, ba, us[us.size() / 2], us[us.size() * 99 / 100]);
    std::fflush(stdout);
  }
  return 0;
}
