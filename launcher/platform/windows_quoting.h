// Building a Windows command line from an argument vector so that CommandLineToArgvW (and the C
// runtime's own parser) gives back exactly the same arguments: quotes inside an argument are
// escaped, and backslashes before a quote or at the end are doubled. Plain text, so the rules are
// tested on every OS; the Windows process layer uses it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qm {

// One argument, always in double quotes.
std::string QuoteWindowsArgument(std::string_view argument);

// The program and its arguments, each quoted, separated by single spaces.
std::string WindowsCommandLine(const std::vector<std::string>& arguments);

}  // namespace qm
