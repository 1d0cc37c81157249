// Figures for the launcher's frame loop, on the real loop in-process under an X server (bench/run
// starts Xvfb):
//   pacing              frames per second with vsync not honoured, and the CPU they cost
//   minimized PROBE     CPU while the window is minimized (PROBE: testing/xwin_probe)
//   game-running        CPU while the game-running branch polls a running child
//   startup             time from process start to the first presented frame (10 runs)
//   home-frame ROOT     one home-screen frame, NewFrame to Render without present (offscreen driver)
//   memory ROOT         the launcher's memory after 300 frames on the install at ROOT
#include <SDL3/SDL.h>
#include <imgui.h>
#include <imgui_impl_sdl3.h>
#include <imgui_impl_sdlrenderer3.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "shell/app.h"
#include "shell/install_root.h"
#include "shell/launcher_ini.h"

namespace {

double Seconds(clockid_t clock) {
  timespec ts;
  clock_gettime(clock, &ts);
  return double(ts.tv_sec) + ts.tv_nsec / 1e9;
}
double Now() { return Seconds(CLOCK_MONOTONIC); }
double Cpu() { return Seconds(CLOCK_PROCESS_CPUTIME_ID); }

void Quit() {
  SDL_Event quit{};
  quit.type = SDL_EVENT_QUIT;
  SDL_PushEvent(&quit);
}

int Pacing() {
  double t0 = 0, c0 = 0;
  uint64_t f0 = 0;
  float refresh = 0;
  bool throttling = false;
  qm::RunLauncher({"launcher"}, {[&](qm::LauncherApp& app) {
                    if (app.framesPresented == 60) {  // after a warm-up
                      t0 = Now(), c0 = Cpu(), f0 = app.framesPresented;
                      const SDL_DisplayMode* mode = SDL_GetCurrentDisplayMode(SDL_GetDisplayForWindow(app.window));
                      refresh = mode ? mode->refresh_rate : 0;
                    } else if (t0 > 0 && Now() - t0 >= 5.0) {
                      const double t = Now() - t0, c = Cpu() - c0;
                      throttling = app.pacer.throttling;
                      std::printf(
                          "pacing: %.1f frames/s over %.1f s (display refresh %.1f Hz, unknown reads 0; pacer %s); "
                          "CPU %.1f %% of one core\n",
                          double(app.framesPresented - f0) / t, t, refresh, throttling ? "throttling" : "idle",
                          100 * c / t);
                      t0 = -1;
                      Quit();
                    }
                  }});
  return 0;
}

int Minimized(const char* probe) {
  std::thread driver;
  std::atomic<double> t0{0}, c0{0}, t1{0}, c1{0};
  std::atomic<uint64_t> framesAtIconify{0}, framesAtRestore{0};
  uint64_t frames = 0;
  qm::RunLauncher({"launcher"}, {[&](qm::LauncherApp& app) {
                    frames = app.framesPresented;
                    if (frames == 30) {
                      const long long id = SDL_GetNumberProperty(SDL_GetWindowProperties(app.window),
                                                                 SDL_PROP_WINDOW_X11_WINDOW_NUMBER, 0);
                      driver = std::thread([&, id, &app = app] {
                        const std::string window = std::to_string(id);
                        if (std::system((std::string(probe) + " iconify " + window).c_str()) != 0)
                          std::fprintf(stderr, "iconify failed\n");
                        SDL_Delay(500);  // let the loop see it
                        framesAtIconify = app.framesPresented;
                        t0 = Now(), c0 = Cpu();
                        SDL_Delay(5000);
                        t1 = Now(), c1 = Cpu();
                        framesAtRestore = app.framesPresented;
                        if (std::system((std::string(probe) + " restore " + window).c_str()) != 0)
                          std::fprintf(stderr, "restore failed\n");
                      });
                    } else if (t1 > 0) {
                      Quit();
                    }
                  }});
  if (driver.joinable()) driver.join();
  const double t = t1 - t0;
  std::printf("minimized: CPU %.2f %% of one core over %.1f s; frames drawn meanwhile: %llu\n", 100 * (c1 - c0) / t, t,
              (unsigned long long)(framesAtRestore - framesAtIconify));
  return 0;
}

int GameRunning() {
  // The figures are taken from 1 s to 6 s into an 8 s game, so that the start itself (fork, the
  // window being hidden) is left out.
  std::thread sampler;
  double cpu = 0, span = 0;
  bool started = false;
  qm::RunLauncher({"launcher"}, {[&](qm::LauncherApp& app) {
                    if (app.framesPresented == 30) {
                      qm::ProcessSpec spec;
                      spec.program = "/bin/sleep";
                      spec.arguments = {"8"};
                      int error = 0;
                      if (!qm::StartProcess(spec, app.state.gameProcess, error)) {
                        std::fprintf(stderr, "could not start the stand-in game (error %d)\n", error);
                        Quit();
                        return;
                      }
                      SDL_HideWindow(app.window);
                      started = true;
                      sampler = std::thread([&] {
                        SDL_Delay(1000);
                        const double t0 = Now(), c0 = Cpu();
                        SDL_Delay(5000);
                        span = Now() - t0;
                        cpu = Cpu() - c0;
                      });
                    } else if (started) {
                      Quit();
                    }
                  }});
  if (sampler.joinable()) sampler.join();
  std::printf("game running: CPU %.2f %% of one core over %.1f s of polling\n", 100 * cpu / span, span);
  return 0;
}

int StartupChild() {
  qm::RunLauncher({"launcher"}, {[](qm::LauncherApp& app) {
                    if (app.framesPresented == 1) {
                      std::printf("%.6f\n", Now());
                      std::fflush(stdout);
                      Quit();
                    }
                  }});
  return 0;
}

int Startup(const char* self) {
  std::vector<double> ms;
  for (int run = 0; run < 10; ++run) {
    int fds[2];
    if (pipe(fds) != 0) return 1;
    const double start = Now();
    const pid_t pid = fork();
    if (pid == 0) {
      dup2(fds[1], 1);
      execl(self, self, "startup-child", (char*)nullptr);
      _exit(127);
    }
    close(fds[1]);
    char buffer[64] = {};
    ssize_t got = 0, n;
    while ((n = read(fds[0], buffer + got, sizeof buffer - 1 - got)) > 0) got += n;
    close(fds[0]);
    int status;
    waitpid(pid, &status, 0);
    if (got > 0) ms.push_back((std::atof(buffer) - start) * 1000);
  }
  if (ms.empty()) return 1;
  std::sort(ms.begin(), ms.end());
  std::printf("startup to first presented frame: median %.0f ms, min %.0f ms, max %.0f ms (%zu runs)\n",
              ms[ms.size() / 2], ms.front(), ms.back(), ms.size());
  return 0;
}

int HomeFrame(const char* root) {
  SDL_SetHint(SDL_HINT_VIDEO_DRIVER, "offscreen");
  SDL_SetHint(SDL_HINT_RENDER_DRIVER, "software");
  if (!SDL_Init(SDL_INIT_VIDEO | SDL_INIT_GAMEPAD)) return 1;
  qm::LauncherApp app;
  app.state.installRoot = root;
  qm::LoadLauncherState(app.state);
  app.state.launcherVersion = qm::ReadLauncherVersion(app.state.installRoot);
  if (!qm::OpenLauncherWindow(app, std::nullopt)) return 1;
  std::vector<double> us;
  for (int i = 0; i < 600; ++i) {
    const auto start = std::chrono::steady_clock::now();
    ImGui_ImplSDLRenderer3_NewFrame();
    ImGui_ImplSDL3_NewFrame();
    ImGui::NewFrame();
    qm::DrawHomeScreen(app);
    ImGui::Render();
    const auto end = std::chrono::steady_clock::now();
    if (i >= 100) us.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    SDL_Event event;
    while (SDL_PollEvent(&event)) ImGui_ImplSDL3_ProcessEvent(&event);
  }
  qm::CloseLauncherWindow(app);
  std::sort(us.begin(), us.end());
  std::printf("home-screen frame (NewFrame to Render, no present): median %.0f us, p90 %.0f us (%zu frames, art %s)\n",
              us[us.size() / 2], us[us.size() * 9 / 10], us.size(),
              app.state.backgroundAspect != 0.667f ? "on" : "off");
  return 0;
}

long SmapsKiB(const char* field) {
  std::ifstream in("/proc/self/smaps_rollup");
  std::string name;
  long value = 0;
  while (in >> name) {
    if (name == field) {
      in >> value;
      return value;
    }
    std::getline(in, name);
  }
  return -1;
}

int Memory(const char* root) {
  qm::RunOptions options;
  options.installRoot = root;
  options.afterFrame = [](qm::LauncherApp& app) {
    if (app.framesPresented == 300) {
      std::printf("memory after 300 frames: anonymous %.1f MiB, resident %.1f MiB in all\n",
                  SmapsKiB("Anonymous:") / 1024.0, SmapsKiB("Rss:") / 1024.0);
      Quit();
    }
  };
  qm::RunLauncher({"launcher"}, options);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "";
  if (mode == "pacing") return Pacing();
  if (mode == "minimized" && argc > 2) return Minimized(argv[2]);
  if (mode == "game-running") return GameRunning();
  if (mode == "startup") return Startup(argv[0]);
  if (mode == "startup-child") return StartupChild();
  if (mode == "home-frame" && argc > 2) return HomeFrame(argv[2]);
  if (mode == "memory" && argc > 2) return Memory(argv[2]);
  std::fprintf(
      stderr,
      "usage: launcher_loop_bench pacing | minimized PROBE | game-running | startup | home-frame ROOT | memory ROOT\n");
  return 2;
}
