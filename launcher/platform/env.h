// The process environment. Children inherit it, so the launcher passes choices to the game
// by setting variables here just before a start.
#pragma once

#include <optional>
#include <string>

namespace qm {

std::optional<std::string> GetEnvVar(const std::string& name);
void SetEnvVar(const std::string& name, const std::string& value);
void UnsetEnvVar(const std::string& name);

}  // namespace qm
