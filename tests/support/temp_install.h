// A small install folder made for one test and removed afterwards.
#pragma once

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <string_view>

namespace qm::test {

class TempInstall {
 public:
  TempInstall() {
    std::random_device rd;
    root_ = std::filesystem::temp_directory_path() / ("qm_test_" + std::to_string(rd()) + std::to_string(rd()));
    std::filesystem::create_directories(root_);
  }
  ~TempInstall() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  TempInstall(const TempInstall&) = delete;
  TempInstall& operator=(const TempInstall&) = delete;

  const std::filesystem::path& root() const { return root_; }

  // Writes a file (creating its folders) below the root; `relative` is UTF-8 with '/' separators.
  std::filesystem::path Write(std::string_view relative, std::string_view content = {}) const {
    const std::filesystem::path path = root_ / Path(relative);
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }
  std::filesystem::path MakeDir(std::string_view relative) const {
    const std::filesystem::path path = root_ / Path(relative);
    std::filesystem::create_directories(path);
    return path;
  }
  static std::filesystem::path Path(std::string_view utf8) {
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(utf8.data()), utf8.size()));
  }

 private:
  std::filesystem::path root_;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace qm::test
