#include "platform/windows_quoting.h"

#include <gtest/gtest.h>

namespace qm {
namespace {

// CommandLineToArgvW's rules for one quoted argument, to check that quoting round-trips.
std::vector<std::string> ParseLikeWindows(const std::string& line) {
  std::vector<std::string> args;
  std::string current;
  bool inQuotes = false, any = false;
  for (size_t i = 0; i < line.size();) {
    if (line[i] == '\\') {
      size_t n = 0;
      while (i < line.size() && line[i] == '\\') ++n, ++i;
      if (i < line.size() && line[i] == '"') {
        current.append(n / 2, '\\');
        if (n % 2) current.push_back('"'), ++i;
      } else {
        current.append(n, '\\');
      }
      any = true;
    } else if (line[i] == '"') {
      inQuotes = !inQuotes;
      any = true;
      ++i;
    } else if (line[i] == ' ' && !inQuotes) {
      if (any) args.push_back(current);
      current.clear();
      any = false;
      ++i;
    } else {
      current.push_back(line[i++]);
      any = true;
    }
  }
  if (any) args.push_back(current);
  return args;
}

TEST(WindowsQuoting, EveryArgumentComesBackIntact) {
  const std::vector<std::string> cases = {"plain",
                                          "",
                                          "with space",
                                          "C:\\Games\\",
                                          "C:\\",
                                          "say \"hi\"",
                                          "back\\\\slash\\\"quote",
                                          "\\\\server\\share",
                                          "trailing\\\\",
                                          "\"",
                                          "\\",
                                          "Pok\xC3\xA9mon \xC2\xBD"};
  for (const std::string& arg : cases)
    EXPECT_EQ(ParseLikeWindows(QuoteWindowsArgument(arg)), std::vector<std::string>{arg}) << arg;
  const std::vector<std::string> all = {
      "C:\\Python\\python.exe", "-I", "-u", "C:\\Q\\tools\\quillmarch_build.py", "--wbfs", "D:\\My \"Discs\"\\"};
  EXPECT_EQ(ParseLikeWindows(WindowsCommandLine(all)), all);
}

TEST(WindowsQuoting, PlainArgumentsLookAsTheyAlwaysDid) {
  // Without quotes inside, the result is the familiar one: quoted, a trailing backslash doubled.
  EXPECT_EQ(QuoteWindowsArgument("--game"), "\"--game\"");
  EXPECT_EQ(QuoteWindowsArgument("C:\\Games\\"), "\"C:\\Games\\\\\"");
  EXPECT_EQ(QuoteWindowsArgument("a \"b\""), "\"a \\\"b\\\"\"");
}

}  // namespace
}  // namespace qm
