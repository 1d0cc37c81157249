// POSIX implementation of child processes: fork and exec, with the exec error carried back to the
// parent through a close-on-exec pipe so that a missing program is reported as "error 2".
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

#include "platform/process.h"

extern char** environ;

namespace qm {

std::string ExecutableName(std::string_view base) { return std::string(base); }

bool StartProcess(const ProcessSpec& spec, ProcessHandle& process, int& errorCode) {
  errorCode = 0;
  // Everything the child needs is prepared before fork: after it only async-signal-safe calls.
  std::vector<std::string> args;
  args.push_back(spec.program.string());
  args.insert(args.end(), spec.arguments.begin(), spec.arguments.end());
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const std::string dir = spec.workingFolder.string();
  const pid_t parent = ::getpid();
  // The log is opened here, created empty. A log that cannot be opened is not an error: the child
  // then writes nowhere.
  int logFd = -1;
  if (!spec.logFile.empty()) logFd = ::open(spec.logFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  struct LogCloser {
    int fd;
    ~LogCloser() {
      if (fd >= 0) ::close(fd);
    }
  } logCloser{logFd};

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    errorCode = errno;
    return false;
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    errorCode = errno;
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    return false;
  }
  if (pid == 0) {
    auto fail = [&](int code) {
      (void)!::write(pipeFds[1], &code, sizeof code);
      ::_exit(127);
    };
    if (spec.endWithParent) {
      if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0) fail(errno);
      if (::getppid() != parent) ::_exit(127);  // the parent is already gone
    }
    int in = ::open("/dev/null", O_RDONLY);
    if (in < 0 || ::dup2(in, 0) < 0) fail(errno);
    if (!spec.logFile.empty()) {
      const int out = logFd >= 0 ? logFd : in;
      if (::dup2(out, 1) < 0 || ::dup2(out, 2) < 0) fail(errno);
    }
    if (!dir.empty() && ::chdir(dir.c_str()) != 0) fail(errno);
    if (spec.belowNormalPriority) (void)::setpriority(PRIO_PROCESS, 0, 10);
    // The launcher may ignore SIGPIPE; the child starts with default dispositions.
    ::signal(SIGPIPE, SIG_DFL);
    ::execve(argv[0], argv.data(), environ);
    fail(errno);
  }
  ::close(pipeFds[1]);
  int childError = 0;
  ssize_t got;
  do got = ::read(pipeFds[0], &childError, sizeof childError);
  while (got < 0 && errno == EINTR);
  ::close(pipeFds[0]);
  if (got == sizeof childError) {
    int status;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    errorCode = childError;
    return false;
  }
  process.id = pid;
  return true;
}

bool ProcessEnded(ProcessHandle& process, int& exitCode) {
  if (process.id == 0) {
    exitCode = 0;
    return true;
  }
  int status = 0;
  const pid_t got = ::waitpid(pid_t(process.id), &status, WNOHANG);
  if (got == 0) return false;
  if (got < 0) {
    exitCode = 0;  // the code cannot be read
  } else if (WIFEXITED(status)) {
    exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    exitCode = 128 + WTERMSIG(status);
  } else {
    return false;  // stopped or continued: still running
  }
  process.id = 0;
  return true;
}

std::filesystem::path BundledPythonPath(const std::filesystem::path& installRoot) {
  return installRoot / "python" / "bin" / "python3";
}

std::string_view SystemPythonName() { return "python3"; }

int WaitForProcess(ProcessHandle& process) {
  int code = 0;
  if (process.id == 0) return 0;
  int status = 0;
  pid_t got;
  while ((got = ::waitpid(pid_t(process.id), &status, 0)) < 0 && errno == EINTR) {
  }
  if (got < 0)
    code = 1;  // the code cannot be read
  else if (WIFEXITED(status))
    code = WEXITSTATUS(status);
  else if (WIFSIGNALED(status))
    code = 128 + WTERMSIG(status);
  process.id = 0;
  return code;
}

std::filesystem::path FindOnSearchPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  while (!dirs.empty()) {
    const size_t colon = dirs.find(':');
    std::string_view dir = dirs.substr(0, colon);
    dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    if (dir.empty()) dir = ".";
    const std::filesystem::path candidate = std::filesystem::path(dir) / program;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return {};
}

}  // namespace qm
