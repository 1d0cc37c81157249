#include "setup/build_runner.h"

#include "game/launch.h"
#include "platform/fs.h"
#include "shell/catalogue.h"
#include "shell/install_state.h"
#include "shell/paths.h"

namespace qm {

namespace {

std::filesystem::path ScriptPath(const std::filesystem::path& root) { return root / "tools" / "quillmarch_build.py"; }

}  // namespace

std::filesystem::path BuildPython(const std::filesystem::path& root) {
  const std::filesystem::path own = BundledPythonPath(root);
  if (PathExists(own)) return own;
  return FindOnSearchPath(SystemPythonName());
}

std::vector<std::string> BuildArguments(const std::filesystem::path& root, const SetupJob& job) {
  std::vector<std::string> args = {"-I", "-u", PathUtf8(ScriptPath(root)), "--game", std::string(kGames[job.game].id)};
  if (!job.discPath.empty()) args.insert(args.end(), {"--wbfs", job.discPath});
  if (!job.modPath.empty()) args.insert(args.end(), {"--mod", job.modPath});
  return args;
}

bool StartBuild(SetupJob& job, const std::filesystem::path& root, double now, std::string& errorText) {
  const GameEntry& entry = kGames[job.game];
  std::string error;
  if (!CreateFolders(root / "logs", error)) {
    errorText = error;
    return false;
  }
  job.logPath = root / "logs" / Utf8Path("setup_" + std::string(entry.id) + ".log");
  job.errorLine.clear();
  ProcessSpec spec;
  spec.program = BuildPython(root);
  spec.arguments = BuildArguments(root, job);
  spec.workingFolder = root;
  spec.logFile = job.logPath;  // created empty
  spec.belowNormalPriority = true;
  int code = 2;  // no Python at all reads as "not found"
  ProcessHandle process;
  if (spec.program.empty() || !StartProcess(spec, process, code)) {
    errorText = "Could not start the build (error " + std::to_string(code) + ").";
    return false;
  }
  job.process = process;
  job.phase = SetupPhase::Building;
  job.progressLine = "Starting...";
  job.percent = 0;
  job.startTime = now;
  job.anchorTime = 0;
  job.logOffset = 0;
  job.partialLine.clear();
  return true;
}

StatusMessage FinishBuild(SetupJob& job, int exitCode, const std::filesystem::path& root, std::string_view version) {
  const GameEntry& entry = kGames[job.game];
  job.process = {};
  job.phase = SetupPhase::SetupIdle;
  if (exitCode == 0 && InstallStateText(root, version, entry).empty())
    return {std::string(entry.title) + " is ready. Press PLAY.", false};
  const std::string reason = !job.errorLine.empty() ? job.errorLine : "exit code " + SignedExitCode(exitCode);
  return {"Set up failed: " + reason + "  (log: logs/setup_" + std::string(entry.id) + ".log)", true};
}

int RunPrepare(const std::vector<std::string>& arguments, const std::filesystem::path& root) {
  ProcessSpec spec;
  spec.program = BuildPython(root);
  if (spec.program.empty()) return 1;
  spec.arguments = {"-I", "-u", PathUtf8(ScriptPath(root))};
  spec.arguments.insert(spec.arguments.end(), arguments.begin() + (arguments.empty() ? 0 : 1), arguments.end());
  spec.workingFolder = root;
  spec.belowNormalPriority = true;
  ProcessHandle process;
  int code = 0;
  if (!StartProcess(spec, process, code)) return 1;
  return WaitForProcess(process);
}

}  // namespace qm
