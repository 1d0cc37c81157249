#include "shell/window_icon.h"

#include <SDL3/SDL_surface.h>
#include <SDL3/SDL_video.h>

#include <cstddef>

namespace qm {

extern const unsigned char kWindowIconRgba[];
extern const std::size_t kWindowIconRgbaSize;

void SetWindowIcon(SDL_Window* window) {
  constexpr int kSide = 128;
  if (kWindowIconRgbaSize != size_t(kSide) * kSide * 4) return;
  // SDL_PIXELFORMAT_RGBA32 is the byte order R, G, B, A on every endianness.
  SDL_Surface* icon = SDL_CreateSurfaceFrom(kSide, kSide, SDL_PIXELFORMAT_RGBA32,
                                            const_cast<unsigned char*>(kWindowIconRgba), kSide * 4);
  if (!icon) return;
  SDL_SetWindowIcon(window, icon);
  SDL_DestroySurface(icon);
}

}  // namespace qm
