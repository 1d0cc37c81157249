// Where the launcher's three font faces are found on this OS.
#pragma once

#include <filesystem>

namespace qm {

enum class UiFace { Regular, SemiBold, Black };

// The face's font file; it may be missing, in which case the launcher uses ImGui's built-in font.
std::filesystem::path UiFontPath(UiFace face);

}  // namespace qm
