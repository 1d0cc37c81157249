// Starting the outside build script for the game of the set-up job, and judging its end from the
// exit code and the game's install state.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "platform/process.h"
#include "setup/setup_job.h"

namespace qm {

// The Python that runs the build script: the install's own when it ships one, else the one on the
// search path. Empty when there is none.
std::filesystem::path BuildPython(const std::filesystem::path& root);

// The script and its arguments: -I -u, the script path, --game id, then --wbfs and --mod when the
// job has those paths.
std::vector<std::string> BuildArguments(const std::filesystem::path& root, const SetupJob& job);

// Starts the script for job.game. On success the job is Building with fresh progress; on failure
// the phase is left as it was and `errorText` says why.
bool StartBuild(SetupJob& job, const std::filesystem::path& root, double now, std::string& errorText);

// Ends the job after the script exited with `exitCode`; the status line to show.
StatusMessage FinishBuild(SetupJob& job, int exitCode, const std::filesystem::path& root, std::string_view version);

// The pass-through mode: runs the build script with the launcher's arguments from the second on
// (the --prepare included), from the install root, with the launcher's own output. Returns the
// script's exit code, 1 when it cannot be started.
int RunPrepare(const std::vector<std::string>& arguments, const std::filesystem::path& root);

}  // namespace qm
