#include "shell/look.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

TEST(Look, BackgroundIsNeverEnlarged) {
  struct Case {
    int w, h, window, tw, th;
  } cases[] = {{133, 200, 720, 133, 200},
               {67, 100, 720, 67, 100},
               {2560, 3840, 1080, 720, 1080},
               {800, 1200, 100, 171, 256},
               {800, 1200, 720, 480, 720}};
  for (const Case& c : cases) {
    const ArtSize size = BackgroundTargetSize(c.w, c.h, c.window);
    EXPECT_EQ(size.width, c.tw) << c.w << "x" << c.h;
    EXPECT_EQ(size.height, c.th) << c.w << "x" << c.h;
  }
}

TEST(Look, EverySizeFollowsTheContentScale) {
  ImGui::CreateContext();
  ApplyTheme(1.5f);
  const Fonts fonts = LoadFonts(1.5f);
  EXPECT_FLOAT_EQ(fonts.fontTitle->LegacySize, 66.0f);
  EXPECT_FLOAT_EQ(fonts.fontBody->LegacySize, 25.5f);
  EXPECT_FLOAT_EQ(fonts.fontSmall->LegacySize, 18.75f);
  EXPECT_EQ(ImGui::GetIO().FontDefault, fonts.fontBody);
  const ImGuiStyle& style = ImGui::GetStyle();
  EXPECT_FLOAT_EQ(style.FramePadding.x, 12.0f);
  EXPECT_FLOAT_EQ(style.FramePadding.y, 9.0f);
  EXPECT_FLOAT_EQ(style.ItemSpacing.x, 15.0f);
  EXPECT_FLOAT_EQ(style.WindowBorderSize, 0.0f);
  ImGui::DestroyContext();
}

}  // namespace
}  // namespace qm
