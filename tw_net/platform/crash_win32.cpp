// Windows crash reporter: an unhandled-exception filter that walks the faulting thread's stack with
// dbghelp. Declarations are our own: the calls, and the parts of the x64 structures they use, with
// their offsets pinned.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/crash.h"

extern "C" {
struct TwExceptionRecord {
  uint32_t ExceptionCode;
  uint32_t ExceptionFlags;
  TwExceptionRecord* ExceptionRecord;
  void* ExceptionAddress;
};
struct TwExceptionPointers {
  TwExceptionRecord* ExceptionRecord;
  void* ContextRecord;  // the x64 CONTEXT, 1232 bytes, 16-byte aligned
};
struct TwAddress64 {
  uint64_t Offset;
  uint16_t Segment;
  uint32_t Mode;  // 3: flat
};
struct TwStackFrame64 {
  TwAddress64 AddrPC, AddrReturn, AddrFrame, AddrStack, AddrBStore;
  void* FuncTableEntry;
  uint64_t Params[4];
  int32_t Far, Virtual;
  uint64_t Reserved[3];
  unsigned char KdHelp[256];  // KDHELP64 and room to spare; dbghelp fills it
};
struct TwSymbolInfo {
  uint32_t SizeOfStruct, TypeIndex;
  uint64_t Reserved[2];
  uint32_t Index, Size;
  uint64_t ModBase;
  uint32_t Flags;
  uint64_t Value, Address;
  uint32_t Register, Scope, Tag, NameLen, MaxNameLen;
  char Name[1];
};
struct TwLine64 {
  uint32_t SizeOfStruct;
  void* Key;
  uint32_t LineNumber;
  char* FileName;
  uint64_t Address;
};
typedef long(__stdcall* TwFilter)(TwExceptionPointers*);
__declspec(dllimport) TwFilter __stdcall SetUnhandledExceptionFilter(TwFilter filter);
__declspec(dllimport) void* __stdcall GetCurrentProcess();
int _setmode(int fd, int mode);
__declspec(dllimport) void* __stdcall GetCurrentThread();
__declspec(dllimport) uint32_t __stdcall GetModuleFileNameA(void* module, char* name, uint32_t size);
__declspec(dllimport) uint32_t __stdcall SymSetOptions(uint32_t options);
__declspec(dllimport) int __stdcall SymInitialize(void* process, const char* path, int invade);
__declspec(dllimport) void* __stdcall SymFunctionTableAccess64(void* process, uint64_t base);
__declspec(dllimport) uint64_t __stdcall SymGetModuleBase64(void* process, uint64_t address);
__declspec(dllimport) int __stdcall SymFromAddr(void* process, uint64_t address, uint64_t* displacement,
                                                TwSymbolInfo* symbol);
__declspec(dllimport) int __stdcall SymGetLineFromAddr64(void* process, uint64_t address, uint32_t* displacement,
                                                         TwLine64* line);
__declspec(dllimport) int __stdcall StackWalk64(uint32_t machine, void* process, void* thread, TwStackFrame64* frame,
                                                void* context, void* readMemory, void* functionTableAccess,
                                                void* getModuleBase, void* translateAddress);
}

static_assert(sizeof(TwAddress64) == 16);
static_assert(offsetof(TwStackFrame64, FuncTableEntry) == 80);
static_assert(offsetof(TwStackFrame64, KdHelp) == 152);
static_assert(offsetof(TwSymbolInfo, Name) == 84 && sizeof(TwSymbolInfo) == 88);
static_assert(sizeof(TwLine64) == 40);

namespace tw {

namespace {

constexpr size_t kContextSize = 1232;
constexpr size_t kRipOffset = 0xF8, kRspOffset = 0x98, kRbpOffset = 0xA0;
constexpr uint32_t kMachineAmd64 = 0x8664;
constexpr uint32_t kSymOptions = 0x02 | 0x10;  // SYMOPT_UNDNAME | SYMOPT_LOAD_LINES
constexpr long kExecuteHandler = 1;

uint64_t Register(const unsigned char* context, size_t offset) {
  uint64_t value;
  std::memcpy(&value, context + offset, sizeof value);
  return value;
}

long __stdcall CrashFilter(TwExceptionPointers* info) {
  std::fprintf(stderr, "[tw_net] CRASH %08lX at %p\n", (unsigned long)info->ExceptionRecord->ExceptionCode,
               info->ExceptionRecord->ExceptionAddress);
  void* process = GetCurrentProcess();
  SymSetOptions(kSymOptions);
  SymInitialize(process, nullptr, 1);
  alignas(16) unsigned char context[kContextSize];
  std::memcpy(context, info->ContextRecord, kContextSize);
  TwStackFrame64 frame{};
  frame.AddrPC = {Register(context, kRipOffset), 0, 3};
  frame.AddrFrame = {Register(context, kRbpOffset), 0, 3};
  frame.AddrStack = {Register(context, kRspOffset), 0, 3};
  for (int n = 0; n < 24; ++n) {
    if (!StackWalk64(kMachineAmd64, process, GetCurrentThread(), &frame, context, nullptr,
                     reinterpret_cast<void*>(SymFunctionTableAccess64), reinterpret_cast<void*>(SymGetModuleBase64),
                     nullptr))
      break;
    const uint64_t pc = frame.AddrPC.Offset;
    if (pc == 0) break;
    char module[260] = "?";
    const char* moduleName = module;
    if (const uint64_t base = SymGetModuleBase64(process, pc)) {
      if (GetModuleFileNameA(reinterpret_cast<void*>(base), module, sizeof module) == 0) std::strcpy(module, "?");
      if (const char* slash = std::strrchr(module, '\\')) moduleName = slash + 1;
    }
    alignas(8) unsigned char symbolBuffer[sizeof(TwSymbolInfo) + 256] = {};
    auto* symbol = reinterpret_cast<TwSymbolInfo*>(symbolBuffer);
    symbol->SizeOfStruct = sizeof(TwSymbolInfo);
    symbol->MaxNameLen = 255;
    uint64_t displacement = 0;
    const char* name = SymFromAddr(process, pc, &displacement, symbol) ? symbol->Name : "?";
    std::fprintf(stderr, "    %s!%s", moduleName, name);
    TwLine64 line{};
    line.SizeOfStruct = sizeof line;
    uint32_t lineDisplacement = 0;
    if (SymGetLineFromAddr64(process, pc, &lineDisplacement, &line) && line.FileName)
      std::fprintf(stderr, " (%s:%lu)", line.FileName, (unsigned long)line.LineNumber);
    std::fprintf(stderr, "\n");
  }
  std::fflush(stderr);
  return kExecuteHandler;
}

}  // namespace

void InstallCrashReporter() { SetUnhandledExceptionFilter(CrashFilter); }

void UseBinaryStandardError() {
  constexpr int kBinary = 0x8000;  // _O_BINARY
  _setmode(2, kBinary);
}

}  // namespace tw
