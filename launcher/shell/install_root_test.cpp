#include "shell/install_root.h"

#include <gtest/gtest.h>

#include "temp_install.h"

namespace qm {
namespace {

using test::TempInstall;

TEST(FindInstallRoot, FindsTheNearestFolderWithRuntimeAndTools) {
  TempInstall install;
  install.MakeDir("tools");
  const auto base = install.MakeDir("runtime/build");
  // SDL's base path ends in a separator.
  EXPECT_EQ(FindInstallRootFrom(base / ""), install.root());
  EXPECT_EQ(FindInstallRootFrom(install.root() / ""), install.root());
}

TEST(FindInstallRoot, WithoutARootAboveUsesItsOwnFolder) {
  TempInstall install;
  install.MakeDir("runtime");  // "tools" is missing: not a root
  const auto base = install.MakeDir("runtime/build") / "";
  EXPECT_EQ(FindInstallRootFrom(base), base);
}

TEST(ReadLauncherVersion, TakesTheFirstLineWithoutTrailingWhiteSpace) {
  struct Case {
    const char* content;  // nullptr: no file
    const char* expected;
  } cases[] = {{"1.4.0\r\n", "1.4.0"}, {"1.4.0 \t\n2.0.0\n", "1.4.0"}, {"", "dev"}, {" \t\r\n", "dev"},
               {nullptr, "dev"},       {"  1.4.0", "  1.4.0"}};
  for (const Case& c : cases) {
    TempInstall install;
    if (c.content) install.Write("VERSION", c.content);
    EXPECT_EQ(ReadLauncherVersion(install.root()), c.expected) << (c.content ? c.content : "(missing)");
  }
}

}  // namespace
}  // namespace qm
