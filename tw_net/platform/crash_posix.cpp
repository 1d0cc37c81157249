// POSIX crash reporter: SIGSEGV, SIGBUS, SIGILL, SIGFPE and SIGABRT are caught on an alternate
// stack; the signal number stands for the exception code. The frames come from backtrace, named
// with dladdr and demangled; the report starts at the interrupted instruction.
#include <cxxabi.h>
#include <dlfcn.h>
#include <execinfo.h>
#include <signal.h>
#include <ucontext.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/crash.h"

namespace tw {

namespace {

constexpr int kMaxFrames = 24;
constexpr int kSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};
alignas(16) char alternateStack[64 * 1024];

void* InterruptedPc(void* context) {
#if defined(__x86_64__)
  return reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.gregs[REG_RIP]);
#elif defined(__aarch64__)
  return reinterpret_cast<void*>(static_cast<ucontext_t*>(context)->uc_mcontext.pc);
#else
  (void)context;
  return nullptr;
#endif
}

void Report(int signal, siginfo_t* info, void* context) {
  std::fprintf(stderr, "[tw_net] CRASH %08lX at %p\n", (unsigned long)signal, info ? info->si_addr : nullptr);
  void* frames[kMaxFrames + 16];
  const int count = ::backtrace(frames, kMaxFrames + 16);
  // Start at the interrupted instruction: the frames before it are the handler's own.
  const void* pc = InterruptedPc(context);
  int first = 0;
  for (int i = 0; i < count; ++i)
    if (frames[i] == pc) {
      first = i;
      break;
    }
  for (int i = first, written = 0; i < count && written < kMaxFrames; ++i, ++written) {
    if (!frames[i]) break;
    const char* module = "?";
    const char* symbol = "?";
    char* demangled = nullptr;
    Dl_info where;
    if (::dladdr(frames[i], &where)) {
      if (where.dli_fname && *where.dli_fname) {
        const char* slash = std::strrchr(where.dli_fname, '/');
        module = slash ? slash + 1 : where.dli_fname;
      }
      if (where.dli_sname) {
        int status = 0;
        demangled = abi::__cxa_demangle(where.dli_sname, nullptr, nullptr, &status);
        symbol = status == 0 && demangled ? demangled : where.dli_sname;
      }
    }
    std::fprintf(stderr, "    %s!%s\n", module, symbol);
    std::free(demangled);
  }
  std::fflush(stderr);
}

void OnFatalSignal(int signal, siginfo_t* info, void* context) {
  Report(signal, info, context);
  // End the way the fault would have: the default action of the same signal.
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  ::sigaction(signal, &action, nullptr);
  ::raise(signal);
}

}  // namespace

void UseBinaryStandardError() {}

void InstallCrashReporter() {
  stack_t stack{};
  stack.ss_sp = alternateStack;
  stack.ss_size = sizeof alternateStack;
  ::sigaltstack(&stack, nullptr);
  struct sigaction action {};
  action.sa_sigaction = OnFatalSignal;
  action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESETHAND;
  sigemptyset(&action.sa_mask);
  for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

}  // namespace tw
