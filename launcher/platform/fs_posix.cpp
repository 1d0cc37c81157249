// POSIX implementation of the launcher's file-system queries.
#include "platform/fs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace qm {

bool PathExists(const std::filesystem::path& path, std::string* error) {
  struct stat info;
  if (::stat(path.c_str(), &info) == 0) return true;
  const int code = errno;
  // The POSIX counterparts of "file not found", "path not found" and "invalid name".
  const bool notFound = code == ENOENT || code == ENOTDIR || code == ENAMETOOLONG;
  if (!notFound && error)
    *error = "Could not test " + path.string() + " (error " + std::to_string(code) + ": " +
             std::strerror(code) + ").";
  return false;
}

bool ReadFirstLine(const std::filesystem::path& path, std::string& line) {
  line.clear();
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  // A first line longer than this is not a version stamp; reading stops there.
  constexpr size_t kMaxLine = 64 * 1024;
  int c;
  while (line.size() < kMaxLine && (c = std::fgetc(file)) != EOF && c != '\n') line.push_back(char(c));
  std::fclose(file);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

}  // namespace qm
