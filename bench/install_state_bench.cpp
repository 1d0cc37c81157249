// The install-state work of one home-screen frame: the three cards plus twice the selected game,
// on a realistic install folder (disc extracted, brawl built and current, pplus sources present).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "shell/install_state.h"

namespace {

std::filesystem::path MakeInstall() {
  const auto root = std::filesystem::temp_directory_path() / "qm_bench_install";
  std::filesystem::remove_all(root);
  auto write = [&](const char* relative, const char* content) {
    const auto path = root / std::filesystem::path(reinterpret_cast<const char8_t*>(relative));
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << content;
  };
  write("runtime/res/launcher_bg.jpg", "");
  write("tools/quillmarch_build.py", "");
  write("VERSION", "1.2.0\n");
  write("Disc/DATA/sys/main.dol", "");
  for (int i = 0; i < 200; ++i)  // a populated extracted disc
    write(("Disc/DATA/files/file" + std::to_string(i) + ".pac").c_str(), "");
  write("assets/brawl.elf", "");
  write("runtime/build/game.dll", "");
  write("runtime/build/tarnwick", "");
  write("runtime/build/quillmarch_version.txt", "1.2.0\n");
  write("Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)/Project+/pf/.keep", "");
  write("runtime/build_pplus/quillmarch_version.txt", "1.1.0\n");
  return root;
}

void BM_HomeFrameInstallState(benchmark::State& state) {
  const auto root = MakeInstall();
  const int selected = 1;
  size_t total = 0;
  for (auto _ : state) {
    for (const auto& game : qm::kGames) total += qm::InstallStateText(root, "1.2.0", game).size();
    total += qm::InstallStateText(root, "1.2.0", qm::kGames[selected]).size();
    total += qm::InstallStateText(root, "1.2.0", qm::kGames[selected]).size();
  }
  benchmark::DoNotOptimize(total);
  std::filesystem::remove_all(root);
}
BENCHMARK(BM_HomeFrameInstallState)->Unit(benchmark::kMicrosecond)->Repetitions(9)->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
