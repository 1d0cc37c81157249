#include "bridge/log.h"

#include <cstdarg>
#include <cstdio>

namespace tw {

namespace {

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

// Keeps `fields` space-separated fields after the tag that starts at `tagEnd`, then trims.
std::string KeepFields(std::string_view text, size_t tagEnd, int fields) {
  size_t cut = tagEnd;
  for (int k = 0; k < fields; ++k) {
    const size_t space = text.find(' ', cut);
    if (space == std::string_view::npos) return std::string(text);
    cut = space + 1;
  }
  std::string kept(text.substr(0, cut));
  while (!kept.empty() && kept.back() == ' ') kept.pop_back();
  return kept;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string RedactLogLine(std::string_view input) {
  std::string text(input);
  // 1. Lines sent to the launcher.
  if (text.size() > 2)
    if (const size_t arrow = text.find("-> "); arrow != std::string::npos) {
      const size_t at = arrow + 3;
      const std::string_view rest = std::string_view(text).substr(at);
      if (StartsWith(rest, "FRIEND ")) return {};
      static constexpr struct {
        std::string_view tag;
        int keep;
      } kTags[] = {{"ME ", 1}, {"PEER ", 1}, {"WATCHER ", 1}, {"MEMBER ", 2}, {"LOBBY ", 3}};
      for (const auto& t : kTags)
        if (StartsWith(rest, t.tag)) {
          text = KeepFields(text, at + t.tag.size(), t.keep);
          break;
        }
    }
  // 2. The sign-in line loses the persona name.
  static constexpr std::string_view kSignIn = "Steam running as ";
  if (text.size() > 16)
    if (const size_t phrase = text.find(kSignIn); phrase != std::string::npos) {
      const size_t from = phrase + kSignIn.size();
      if (const size_t bracket = text.find('(', from); bracket != std::string::npos) text.erase(from, bracket - from);
    }
  // 3. Steam IDs: 17 digits starting 7656119 keep "id-" and their last four digits.
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    if (!IsDigit(text[i])) {
      out.push_back(text[i++]);
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsDigit(text[end])) ++end;
    const std::string_view run = std::string_view(text).substr(i, end - i);
    if (run.size() == 17 && StartsWith(run, "7656119")) {
      out += "id-";
      out += run.substr(13);
    } else {
      out += run;
    }
    i = end;
  }
  return out;
}

void LogLine(const char* format, ...) {
  char buffer[2048];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof buffer, format, args);
  va_end(args);
  const std::string filtered = RedactLogLine(buffer);
  if (filtered.empty() && buffer[0] != '\0') return;
  std::fprintf(stderr, "[tw_net] %s\n", filtered.c_str());
  std::fflush(stderr);
}

}  // namespace tw
