// On POSIX the faces are Inter Regular, SemiBold and Black from Debian's fonts-inter.
#include "platform/ui_fonts.h"

namespace qm {

std::filesystem::path UiFontPath(UiFace face) {
  const std::filesystem::path folder = "/usr/share/fonts/opentype/inter";
  switch (face) {
    case UiFace::SemiBold:
      return folder / "Inter-SemiBold.otf";
    case UiFace::Black:
      return folder / "Inter-Black.otf";
    default:
      return folder / "Inter-Regular.otf";
  }
}

}  // namespace qm
