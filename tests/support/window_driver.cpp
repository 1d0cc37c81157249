#include "window_driver.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace qm::test {

bool SaveScreenshot(LauncherApp& app, const std::string& name) {
  SDL_Surface* shot = SDL_RenderReadPixels(app.renderer, nullptr);
  if (!shot) return false;
  SDL_Surface* rgba = SDL_ConvertSurface(shot, SDL_PIXELFORMAT_RGBA32);
  SDL_DestroySurface(shot);
  if (!rgba) return false;
  const std::filesystem::path folder = QM_SCREENSHOT_DIR;
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  const bool ok =
      stbi_write_png((folder / (name + ".png")).string().c_str(), rgba->w, rgba->h, 4, rgba->pixels, rgba->pitch) != 0;
  SDL_DestroySurface(rgba);
  return ok;
}

}  // namespace qm::test
