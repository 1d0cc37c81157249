// Path building for the install folder: every path is joined segment by segment from UTF-8
// text, so non-ASCII folder names ("REX Release 0½") survive on every OS.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qm {

// A path from UTF-8 text. A forward slash inside the text acts as a separator.
inline std::filesystem::path Utf8Path(std::string_view text) {
  return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(text.data()), text.size()));
}

// UTF-8 text of a path, for messages and files.
inline std::string PathUtf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(reinterpret_cast<const char*>(text.data()), text.size());
}

}  // namespace qm
