// The launcher's one look: the theme, the five fonts, the background art and the accent glow.
#pragma once

#include <imgui.h>

#include <filesystem>

struct SDL_Renderer;

namespace qm {

struct LauncherState;

struct Fonts {
  ImFont* fontBody = nullptr;       // regular 17, ImGui's default font
  ImFont* fontSmall = nullptr;      // semibold 12.5
  ImFont* fontCardTitle = nullptr;  // semibold 23
  ImFont* fontTitle = nullptr;      // black 44
  ImFont* fontButton = nullptr;     // black 22
};

// Loads the five fonts into ImGui's atlas, each size times `s`; a missing file gives ImGui's
// built-in font at that size.
Fonts LoadFonts(float s);

// ImGui's dark colours with the launcher's changes, then every style size times `s`.
void ApplyTheme(float s);

// Sets backgroundTexture and backgroundAspect from the art in the install, or from a copy beside
// the executable (which wins). Without a decodable image there is no texture.
void LoadBackground(LauncherState& state, SDL_Renderer* renderer, int windowPixelHeight);

// The size the art is shrunk to for a window of `windowPixelHeight`: never enlarged, at least 256
// pixels high where the image allows.
struct ArtSize {
  int width, height;
};
ArtSize BackgroundTargetSize(int imageWidth, int imageHeight, int windowPixelHeight);

// A soft halo of six outlines around the rounded rectangle, fading outwards.
void DrawGlow(ImDrawList* drawList, ImVec2 min, ImVec2 max, ImVec4 colour, float strength, float rounding, float s);

}  // namespace qm
