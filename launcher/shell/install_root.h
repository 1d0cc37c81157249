// Finding the install root and reading the launcher's version.
#pragma once

#include <filesystem>
#include <string>

namespace qm {

// The nearest folder at or above `base` that holds both "runtime" and "tools"; a drive root is
// never chosen. Without one, `base` itself.
std::filesystem::path FindInstallRootFrom(const std::filesystem::path& base);

// FindInstallRootFrom the executable's own folder (SDL's base path, "." when SDL has none).
std::filesystem::path FindInstallRoot();

// First line of root / "VERSION", trailing white space removed; "dev" when missing or empty.
std::string ReadLauncherVersion(const std::filesystem::path& root);

}  // namespace qm
