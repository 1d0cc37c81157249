// File-system queries the launcher makes about its install folder. Never throws; a path the OS
// reports as not found, or as not a valid name, is simply absent.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

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

// Replaces the file's contents through a temporary file in the same folder, renamed over the old
// one, so a write that breaks off never leaves a half-written file. False with a message when the
// file cannot be written; the old contents then stay.
bool WriteFileAtomic(const std::filesystem::path& path, std::string_view contents, std::string& error);

// Creates the folder and its parents. False with a message when it cannot be made.
bool CreateFolders(const std::filesystem::path& path, std::string& error);

// Renames a file, replacing an existing target. False with a message on failure.
bool RenameReplacing(const std::filesystem::path& from, const std::filesystem::path& to, std::string& error);

// Deletes a file, or a folder with everything in it, adding every file and folder deleted (the
// folder itself included) to `removed`. False when something could not be deleted; what could be
// is deleted and counted all the same. A missing path deletes nothing and is not a failure.
bool RemoveTree(const std::filesystem::path& path, uint64_t& removed);

}  // namespace qm
