// Whole-file reads and atomic replacement, and where the program lives; implemented by each
// platform.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace routerdesk {

enum class FileStatus { ok, missing, failed };

struct FileReadResult {
    FileStatus status = FileStatus::failed;
    std::string bytes;   // the whole file, when ok
    std::string reason;  // the system's words, GBK, when not ok
};

struct FileWriteResult {
    bool written = false;
    std::string reason;  // the system's words, GBK, when not written
};

// The folder of the program's own executable; the empty path, meaning the working folder, in
// the rare case that the system will not say.
std::filesystem::path programDirectory();

// "missing" only when the file or a folder on its way does not exist; a file that exists but
// cannot be read is "failed", so that nobody takes it for absent and writes over it.
FileReadResult readWholeFile(const std::filesystem::path& path);

// Writes `bytes` to a new file in the same folder, forces them to the disk and puts that file
// in the place of `path` in one step: afterwards `path` holds either its old content or all of
// `bytes`, whatever happens in between.
FileWriteResult replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The path as GBK text, for messages.
std::string pathToGbk(const std::filesystem::path& path);

}  // namespace routerdesk
