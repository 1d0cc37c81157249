#include "shell/look.h"

#include <SDL3/SDL_filesystem.h>
#include <SDL3/SDL_render.h>
#include <stb_image.h>
#include <stb_image_resize.h>

#include <algorithm>
#include <vector>

#include "platform/fs.h"
#include "platform/ui_fonts.h"
#include "shell/launcher_state.h"
#include "shell/paths.h"

namespace qm {

namespace {

ImFont* LoadFont(UiFace face, float size) {
  ImGuiIO& io = ImGui::GetIO();
  const std::filesystem::path path = UiFontPath(face);
  if (PathExists(path))
    if (ImFont* font = io.Fonts->AddFontFromFileTTF(PathUtf8(path).c_str(), size)) return font;
  ImFontConfig config;
  config.SizePixels = size;
  return io.Fonts->AddFontDefault(&config);
}

}  // namespace

Fonts LoadFonts(float s) {
  Fonts fonts;
  fonts.fontBody = LoadFont(UiFace::Regular, 17.0f * s);
  fonts.fontSmall = LoadFont(UiFace::SemiBold, 12.5f * s);
  fonts.fontCardTitle = LoadFont(UiFace::SemiBold, 23.0f * s);
  fonts.fontTitle = LoadFont(UiFace::Black, 44.0f * s);
  fonts.fontButton = LoadFont(UiFace::Black, 22.0f * s);
  ImGui::GetIO().FontDefault = fonts.fontBody;
  ImGui::GetStyle().FontSizeBase = 17.0f * s;
  return fonts;
}

void ApplyTheme(float s) {
  ImGui::StyleColorsDark();
  ImGuiStyle& style = ImGui::GetStyle();
  style.WindowPadding = ImVec2(0, 0);
  style.WindowBorderSize = 0;
  style.FramePadding = ImVec2(8, 6);
  style.FrameRounding = 5;
  style.ItemSpacing = ImVec2(10, 10);
  style.GrabRounding = 5;
  style.Colors[ImGuiCol_WindowBg] = ImVec4(0.07f, 0.08f, 0.11f, 0.98f);
  style.Colors[ImGuiCol_FrameBg] = ImVec4(1, 1, 1, 0.08f);
  style.Colors[ImGuiCol_FrameBgHovered] = ImVec4(1, 1, 1, 0.14f);
  style.Colors[ImGuiCol_FrameBgActive] = ImVec4(1, 1, 1, 0.20f);
  style.Colors[ImGuiCol_CheckMark] = ImVec4(1, 1, 1, 1);
  style.Colors[ImGuiCol_NavCursor] = ImVec4(1, 1, 1, 0.6f);
  style.ScaleAllSizes(s);
}

ArtSize BackgroundTargetSize(int imageWidth, int imageHeight, int windowPixelHeight) {
  const float aspect = float(imageWidth) / float(imageHeight);
  const int height = std::min(std::max(windowPixelHeight, 256), imageHeight);
  return {std::max(1, int(float(height) * aspect + 0.5f)), height};
}

void LoadBackground(LauncherState& state, SDL_Renderer* renderer, int windowPixelHeight) {
  const char* base = SDL_GetBasePath();
  const std::filesystem::path candidates[] = {state.installRoot / "runtime" / "res" / "launcher_bg.jpg",
                                              Utf8Path(base ? base : ".") / "launcher_bg.jpg"};
  std::filesystem::path chosen;
  for (const auto& candidate : candidates)
    if (PathExists(candidate)) chosen = candidate;
  if (chosen.empty()) return;

  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load(PathUtf8(chosen).c_str(), &width, &height, &channels, 4);
  if (!pixels || width <= 0 || height <= 0) {
    if (pixels) stbi_image_free(pixels);
    return;
  }
  state.backgroundAspect = float(width) / float(height);
  const ArtSize target = BackgroundTargetSize(width, height, windowPixelHeight);
  std::vector<unsigned char> resized(size_t(target.width) * size_t(target.height) * 4);
  const int ok = stbir_resize_uint8(pixels, width, height, 0, resized.data(), target.width, target.height, 0, 4);
  stbi_image_free(pixels);
  if (!ok) return;
  SDL_Surface* surface =
      SDL_CreateSurfaceFrom(target.width, target.height, SDL_PIXELFORMAT_RGBA32, resized.data(), target.width * 4);
  if (!surface) return;
  state.backgroundTexture = SDL_CreateTextureFromSurface(renderer, surface);
  SDL_DestroySurface(surface);
  if (state.backgroundTexture) SDL_SetTextureScaleMode(state.backgroundTexture, SDL_SCALEMODE_LINEAR);
}

void DrawGlow(ImDrawList* drawList, ImVec2 min, ImVec2 max, ImVec4 colour, float strength, float rounding, float s) {
  for (int k = 1; k <= 6; ++k) {
    const float grow = 2.5f * float(k) * s;
    ImVec4 c = colour;
    c.w *= 0.22f * strength / float(k);
    drawList->AddRect(ImVec2(min.x - grow, min.y - grow), ImVec2(max.x + grow, max.y + grow),
                      ImGui::ColorConvertFloat4ToU32(c), rounding + grow, 0, 2.5f * s);
  }
}

}  // namespace qm
