#include <string>

#include "platform/env.h"

extern "C" __declspec(dllimport) int __stdcall SetEnvironmentVariableW(const wchar_t* name, const wchar_t* value);

namespace tw {

void SetProcessEnv(const char* name, const char* value) {
  // The names and values tw_net sets are ASCII.
  const std::string n(name), v(value);
  SetEnvironmentVariableW(std::wstring(n.begin(), n.end()).c_str(), std::wstring(v.begin(), v.end()).c_str());
}

}  // namespace tw
