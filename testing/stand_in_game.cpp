// Stand-in for the recompiled game. It reports what the launcher gave it on its standard output
// (which the launcher sends to logs/<id>.log): working folder, arguments, the TW_* variables and
// the install's settings.ini. QM_STANDIN_GAME, a comma-separated list, tells it how to behave:
//   stay=MS    stay up MS milliseconds before exiting
//   exit=N     exit with code N
//   crash      end by a segmentation fault
//   window     open a small window that says what it is; Escape or closing it ends the game
#include <SDL3/SDL.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>

namespace {

struct Behaviour {
  int stayMs = 0;
  int exitCode = 0;
  bool crash = false;
  bool window = false;
};

Behaviour ReadBehaviour() {
  Behaviour b;
  const char* text = std::getenv("QM_STANDIN_GAME");
  std::stringstream in(text ? text : "");
  std::string item;
  while (std::getline(in, item, ',')) {
    if (item.rfind("stay=", 0) == 0)
      b.stayMs = std::atoi(item.c_str() + 5);
    else if (item.rfind("exit=", 0) == 0)
      b.exitCode = std::atoi(item.c_str() + 5);
    else if (item == "crash")
      b.crash = true;
    else if (item == "window")
      b.window = true;
  }
  return b;
}

void Report(int argc, char** argv) {
  std::cout << "stand-in game\n";
  std::cout << "pid=" << ::getpid() << "\n";
  std::cout << "cwd=" << std::filesystem::current_path().string() << "\n";
  std::cout << "argc=" << argc << "\n";
  for (int i = 1; i < argc; ++i) std::cout << "arg=" << argv[i] << "\n";
  for (const char* name : {"TW_WATCHDOG", "TW_FULLSCREEN", "TW_NO_AUDIO", "TW_OPEN_CONTROLS", "TW_NET",
                           "TW_NET_PLAYERS", "VADUREZIZUVAZO_MODE"}) {
    const char* value = std::getenv(name);
    std::cout << name << "=" << (value ? value : "(unset)") << "\n";
  }
  // The working folder is runtime/<buildFolder>; settings.ini lies in the install root.
  std::ifstream settings("../../settings.ini", std::ios::binary);
  std::cout << "settings.ini:" << (settings ? "\n" : " (missing)\n");
  if (settings) std::cout << settings.rdbuf();
  std::cout << "end of report" << std::endl;
}

void ShowWindow() {
  if (!SDL_Init(SDL_INIT_VIDEO)) return;
  SDL_Window* window = nullptr;
  SDL_Renderer* renderer = nullptr;
  if (!SDL_CreateWindowAndRenderer("Stand-in game", 520, 160, 0, &window, &renderer)) {
    SDL_Quit();
    return;
  }
  SDL_SetRenderVSync(renderer, 1);
  const std::string folder = std::filesystem::current_path().filename().string();
  const char* fullscreen = std::getenv("TW_FULLSCREEN");
  for (bool running = true; running;) {
    SDL_Event event;
    while (SDL_PollEvent(&event))
      if (event.type == SDL_EVENT_QUIT || (event.type == SDL_EVENT_KEY_DOWN && event.key.key == SDLK_ESCAPE))
        running = false;
    SDL_SetRenderDrawColor(renderer, 20, 22, 34, 255);
    SDL_RenderClear(renderer);
    SDL_SetRenderDrawColor(renderer, 240, 240, 245, 255);
    SDL_RenderDebugText(renderer, 20, 30, "This is a stand-in for the recompiled game.");
    SDL_RenderDebugText(renderer, 20, 55, ("Started from runtime/" + folder).c_str());
    SDL_RenderDebugText(renderer, 20, 80, fullscreen ? "TW_FULLSCREEN=1" : "windowed");
    SDL_RenderDebugText(renderer, 20, 115, "Press Escape to close.");
    SDL_RenderPresent(renderer);
    SDL_Delay(16);
  }
  SDL_DestroyRenderer(renderer);
  SDL_DestroyWindow(window);
  SDL_Quit();
}

}  // namespace

int main(int argc, char** argv) {
  const Behaviour behaviour = ReadBehaviour();
  Report(argc, argv);
  if (behaviour.window) ShowWindow();
  if (behaviour.stayMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(behaviour.stayMs));
  if (behaviour.crash) {
    std::signal(SIGSEGV, SIG_DFL);  // no handler (a sanitizer's, say) may turn the crash into an exit
    std::raise(SIGSEGV);
  }
  return behaviour.exitCode;
}
