// Child processes: the game, the build script and the lobby service. A child inherits the
// launcher's environment, gets no standard input, and writes its standard output and error to a
// log file.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm {

// An executable's file name as it is on this OS ("tarnwick" here, "tarnwick.exe" on Windows).
std::string ExecutableName(std::string_view base);

struct ProcessSpec {
  std::filesystem::path program;        // full path of the executable
  std::vector<std::string> arguments;   // after the program itself, UTF-8
  std::filesystem::path workingFolder;  // empty: the launcher's own
  std::filesystem::path logFile;        // created empty; empty path: inherit the launcher's output
  bool belowNormalPriority = false;
  bool endWithParent = false;  // the child dies with the launcher (headless play)
};

struct ProcessHandle {
  long long id = 0;  // the OS process id; 0 when no process
};

// Starts the process. On failure returns false with the OS error code (ENOENT, 2, for a missing
// program).
bool StartProcess(const ProcessSpec& spec, ProcessHandle& process, int& errorCode);

// Tests the process without waiting: true when it has ended, with its exit code (a child ended by
// signal N reads 128 + N). Once this answers true the handle is closed and cleared.
bool ProcessEnded(ProcessHandle& process, int& exitCode);

// Where an install keeps the Python it ships ("python" / "bin" / "python3" here), and the name of
// the one looked up on the search path otherwise.
std::filesystem::path BundledPythonPath(const std::filesystem::path& installRoot);
std::string_view SystemPythonName();

// Waits without limit for the process to end; its exit code as ProcessEnded gives it.
int WaitForProcess(ProcessHandle& process);

// The full path of a program found on the search path (PATH), or empty.
std::filesystem::path FindOnSearchPath(std::string_view program);

}  // namespace qm
