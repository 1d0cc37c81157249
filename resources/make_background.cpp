// Paints the launcher's background art, "launcher_bg.jpg": a night arena with a glowing horizon,
// a main stage and two floating platforms, drawn in code so it can be made again or changed.
// Usage: make_background OUT.jpg
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kWidth = 800, kHeight = 1200;

struct Rgb {
  float r, g, b;
};
Rgb Mix(Rgb a, Rgb b, float t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }
float Clamp01(float v) { return std::min(1.0f, std::max(0.0f, v)); }
float Smooth(float e0, float e1, float x) {
  const float t = Clamp01((x - e0) / (e1 - e0));
  return t * t * (3 - 2 * t);
}
uint32_t Hash(uint32_t x) {
  x ^= x >> 16;
  x *= 0x7feb352d;
  x ^= x >> 15;
  x *= 0x846ca68b;
  return x ^ (x >> 16);
}

// Coverage of a platform: a slab with a slanted underside, `top` its walkable edge.
float Platform(float x, float y, float left, float right, float top, float depth) {
  if (y < top - 1 || y > top + depth + 1) return 0;
  const float inset = (y - top) / depth * (right - left) * 0.18f;
  const float edge = std::min(x - (left + inset), (right - inset) - x);
  return Clamp01(edge + 0.5f) * Clamp01(y - top + 0.5f) * Clamp01(top + depth - y + 0.5f);
}

Rgb Pixel(int px, int py) {
  const float x = px + 0.5f, y = py + 0.5f;
  const float v = y / kHeight;
  // Sky: deep blue at the top, violet towards the horizon, near black below the stage.
  Rgb c = Mix({0.03f, 0.04f, 0.10f}, {0.16f, 0.07f, 0.20f}, Smooth(0.0f, 0.62f, v));
  c = Mix(c, {0.02f, 0.02f, 0.04f}, Smooth(0.70f, 1.0f, v));
  // Stars, fading towards the horizon.
  const uint32_t h = Hash(uint32_t(px) * 73856093u ^ uint32_t(py) * 19349663u);
  if (h % 1400 == 0) {
    const float bright = (0.35f + float(h >> 20) / 4096.0f * 0.65f) * (1 - Smooth(0.2f, 0.6f, v));
    c = Mix(c, {0.9f, 0.92f, 1.0f}, bright);
  }
  // The rising glow behind the stage, warm and wide.
  const float dx = (x - 400) / 520, dy = (y - 700) / 300;
  const float glow = std::exp(-(dx * dx + dy * dy) * 2.2f);
  c = {c.r + 0.95f * glow, c.g + 0.32f * glow, c.b + 0.22f * glow * 0.8f};
  // Light rays fanning up from the horizon.
  const float angle = std::atan2(x - 400, 700 - y);
  const float rays =
      std::pow(0.5f + 0.5f * std::cos(angle * 14), 8.0f) * Smooth(0.2f, 0.58f, v) * (1 - Smooth(0.58f, 0.6f, v));
  c = {c.r + 0.12f * rays, c.g + 0.06f * rays, c.b + 0.05f * rays};
  // Stage and platforms as dark silhouettes with lit top edges.
  const float stage = Platform(x, y, 110, 690, 760, 150);
  const float left = Platform(x, y, 170, 330, 600, 22), right = Platform(x, y, 470, 630, 600, 22);
  const float top = Platform(x, y, 320, 480, 470, 20);
  const float solid = std::max({stage, left, right, top});
  c = Mix(c, {0.035f, 0.03f, 0.05f}, solid);
  for (float edge : {760.0f, 600.0f, 470.0f}) {
    const float lit = std::exp(-std::pow((y - edge - 1.5f) / 2.2f, 2.0f)) * solid;
    c = Mix(c, {1.0f, 0.62f, 0.45f}, lit * 0.85f);
  }
  // Mist over the lower part and a little grain so the gradients do not band.
  c = Mix(c, {0.10f, 0.06f, 0.12f}, 0.35f * Smooth(0.78f, 1.0f, v));
  const float grain = (float(Hash(uint32_t(py * kWidth + px) + 977u) & 255) / 255.0f - 0.5f) * 0.018f;
  return {c.r + grain, c.g + grain, c.b + grain};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_background OUT.jpg\n");
    return 2;
  }
  std::vector<unsigned char> pixels(size_t(kWidth) * kHeight * 3);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      const Rgb c = Pixel(x, y);
      unsigned char* p = &pixels[(size_t(y) * kWidth + x) * 3];
      p[0] = (unsigned char)(Clamp01(c.r) * 255 + 0.5f);
      p[1] = (unsigned char)(Clamp01(c.g) * 255 + 0.5f);
      p[2] = (unsigned char)(Clamp01(c.b) * 255 + 0.5f);
    }
  return stbi_write_jpg(argv[1], kWidth, kHeight, 3, pixels.data(), 90) ? 0 : 1;
}
