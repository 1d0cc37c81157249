#include "platform/windows_quoting.h"

namespace qm {

std::string QuoteWindowsArgument(std::string_view argument) {
  std::string out = "\"";
  size_t backslashes = 0;
  for (const char c : argument) {
    if (c == '\\') {
      ++backslashes;
      continue;
    }
    // Backslashes count as escapes only before a quote: double them there, and escape the quote.
    out.append(c == '"' ? backslashes * 2 + 1 : backslashes, '\\');
    backslashes = 0;
    out.push_back(c);
  }
  out.append(backslashes * 2, '\\');  // before the closing quote
  out.push_back('"');
  return out;
}

std::string WindowsCommandLine(const std::vector<std::string>& arguments) {
  std::string line;
  for (const std::string& argument : arguments) {
    if (!line.empty()) line.push_back(' ');
    line += QuoteWindowsArgument(argument);
  }
  return line;
}

}  // namespace qm
