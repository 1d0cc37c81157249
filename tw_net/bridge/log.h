// tw_net's log: one line per event, "[tw_net] " + text on standard error, after a filter that keeps
// display names and most of each Steam ID out of it.
#pragma once

#include <string>
#include <string_view>

namespace tw {

// printf-style; at most 2047 characters of text; safe from any thread (one write per line).
void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The filter: protocol lines lose their names (FRIEND lines vanish), the sign-in line loses the
// persona name, and 17-digit Steam IDs keep only "id-" and their last 4 digits.
std::string RedactLogLine(std::string_view text);

}  // namespace tw
