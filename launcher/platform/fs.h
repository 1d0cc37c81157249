// File-system queries the launcher makes about its install folder. Never throws; a path the OS
// reports as not found, or as not a valid name, is simply absent.
#pragma once

#include <filesystem>
#include <string>

namespace qm {

// True when something (file or folder) exists at the path. Not-found errors mean "absent";
// any other error (access denied, I/O error) also answers false and, when `error` is given,
// describes itself there.
bool PathExists(const std::filesystem::path& path, std::string* error = nullptr);

// Reads the first line of a text file, without its line end ("\n" or "\r\n"). False when the
// file cannot be opened; `line` is then left empty.
bool ReadFirstLine(const std::filesystem::path& path, std::string& line);

// The same two queries for root / relative, joined as text without building a path object: the
// home screen makes them several times a frame, and splitting paths into components cost more
// than the queries themselves.
bool PathExists(const std::filesystem::path& root, const std::filesystem::path& relative);
bool ReadFirstLine(const std::filesystem::path& root, const std::filesystem::path& relative, std::string& line);

}  // namespace qm
