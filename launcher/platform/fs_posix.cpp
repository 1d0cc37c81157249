// POSIX implementation of the launcher's file-system queries.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/fs.h"

namespace qm {

namespace {

bool Exists(const char* path, std::string* error) {
  struct stat info;
  if (::stat(path, &info) == 0) return true;
  const int code = errno;
  // The POSIX counterparts of "file not found", "path not found" and "invalid name".
  const bool notFound = code == ENOENT || code == ENOTDIR || code == ENAMETOOLONG;
  if (!notFound && error)
    *error =
        std::string("Could not test ") + path + " (error " + std::to_string(code) + ": " + std::strerror(code) + ").";
  return false;
}

bool FirstLine(const char* path, std::string& line) {
  line.clear();
  // Plain descriptors: this runs several times per home-screen frame, and stdio's buffer set-up
  // costs more than the read itself.
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // A first line longer than this is not a version stamp; reading stops there.
  constexpr size_t kMaxLine = 64 * 1024;
  char buffer[512];
  bool done = false;
  while (!done && line.size() < kMaxLine) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    const char* end = static_cast<const char*>(std::memchr(buffer, '\n', size_t(got)));
    done = end != nullptr;
    line.append(buffer, done ? size_t(end - buffer) : size_t(got));
  }
  ::close(fd);
  if (line.size() > kMaxLine) line.resize(kMaxLine);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// root + "/" + relative in a stack buffer; paths longer than it take the slow road.
class Joined {
 public:
  Joined(const std::filesystem::path& root, const std::filesystem::path& relative) {
    const std::string& a = root.native();
    const std::string& b = relative.native();
    const bool slash = !a.empty() && a.back() != '/';
    const size_t size = a.size() + (slash ? 1 : 0) + b.size();
    char* out = size < sizeof buffer_ ? buffer_ : (heap_.resize(size), heap_.data());
    std::memcpy(out, a.data(), a.size());
    if (slash) out[a.size()] = '/';
    std::memcpy(out + a.size() + (slash ? 1 : 0), b.data(), b.size());
    if (out == buffer_) buffer_[size] = '\0';
    path_ = out;
  }
  Joined(const Joined&) = delete;
  Joined& operator=(const Joined&) = delete;
  const char* c_str() const { return path_; }

 private:
  char buffer_[1024];
  std::string heap_;
  const char* path_;
};

}  // namespace

bool PathExists(const std::filesystem::path& path, std::string* error) { return Exists(path.c_str(), error); }

bool ReadFirstLine(const std::filesystem::path& path, std::string& line) { return FirstLine(path.c_str(), line); }

bool PathExists(const std::filesystem::path& root, const std::filesystem::path& relative) {
  return Exists(Joined(root, relative).c_str(), nullptr);
}

bool ReadFirstLine(const std::filesystem::path& root, const std::filesystem::path& relative, std::string& line) {
  return FirstLine(Joined(root, relative).c_str(), line);
}

}  // namespace qm

namespace qm {

namespace {
std::string Failure(const char* what, const std::filesystem::path& path, int code) {
  return std::string("Could not ") + what + " " + path.string() + " (error " + std::to_string(code) + ": " +
         std::strerror(code) + ").";
}
}  // namespace

bool WriteFileAtomic(const std::filesystem::path& path, std::string_view contents, std::string& error) {
  const std::string temp = path.string() + ".tmp" + std::to_string(::getpid());
  const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = Failure("write", path, errno);
    return false;
  }
  size_t done = 0;
  while (done < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + done, contents.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += size_t(n);
  }
  const int writeError = done == contents.size() ? 0 : (errno ? errno : EIO);
  if (::close(fd) != 0 || writeError != 0 || ::rename(temp.c_str(), path.c_str()) != 0) {
    error = Failure("write", path, writeError ? writeError : errno);
    ::unlink(temp.c_str());
    return false;
  }
  return true;
}

bool CreateFolders(const std::filesystem::path& path, std::string& error) {
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  if (ec) {
    error = Failure("create", path, ec.value());
    return false;
  }
  return true;
}

bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error) {
  if (::rename(from.c_str(), to.c_str()) != 0) {
    error = Failure("rename", from, errno);
    return false;
  }
  return true;
}

}  // namespace qm

namespace qm {

bool RemoveTree(const std::filesystem::path& path, uint64_t& removed) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT || errno == ENOTDIR;
  bool ok = true;
  if (S_ISDIR(info.st_mode)) {
    std::error_code ec;
    std::vector<std::filesystem::path> children;
    for (std::filesystem::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec))
      children.push_back(it->path());
    if (ec) ok = false;
    for (const auto& child : children) ok = RemoveTree(child, removed) && ok;
    if (::rmdir(path.c_str()) != 0) return false;
  } else if (::unlink(path.c_str()) != 0) {
    return false;
  }
  ++removed;
  return ok;
}

}  // namespace qm
