// POSIX implementation of the environment accessors.
#include <cstdlib>

#include "platform/env.h"

namespace qm {

std::optional<std::string> GetEnvVar(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  if (!value) return std::nullopt;
  return std::string(value);
}

void SetEnvVar(const std::string& name, const std::string& value) { ::setenv(name.c_str(), value.c_str(), 1); }

void UnsetEnvVar(const std::string& name) { ::unsetenv(name.c_str()); }

}  // namespace qm
