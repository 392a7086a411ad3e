// Files on Windows through the wide API: whole reads, and replacement by moving a flushed
// temporary file over the old one.
#include "core/files.h"

#include <windows.h>

#include <atomic>
#include <string>

#include "core/gbk.h"

namespace routerdesk {
namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~FileHandle() { close(); }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;

    void reset(HANDLE handle) {
        close();
        handle_ = handle;
    }

    HANDLE get() const { return handle_; }
    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

    // Returns the error of the close, which for a written file may still report lost data.
    DWORD close() {
        DWORD error = ERROR_SUCCESS;
        if (valid() && !CloseHandle(handle_)) {
            error = GetLastError();
        }
        handle_ = INVALID_HANDLE_VALUE;
        return error;
    }

  private:
    HANDLE handle_;
};

class LocalText {
  public:
    ~LocalText() { LocalFree(text_); }
    LocalText() = default;
    LocalText(const LocalText&) = delete;
    LocalText& operator=(const LocalText&) = delete;

    wchar_t** out() { return &text_; }
    const wchar_t* get() const { return text_; }

  private:
    wchar_t* text_ = nullptr;
};

std::string reasonText(DWORD error) {
    LocalText message;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t*>(message.out()), 0, nullptr);
    if (length == 0) {
        return "Windows error " + std::to_string(error);
    }
    std::wstring_view text(message.get(), length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.remove_suffix(1);
    }
    return wideToGbk(text);
}

FileWriteResult writeFailure(DWORD error) {
    return {false, reasonText(error)};
}

DWORD writeAll(HANDLE file, std::string_view bytes) {
    while (!bytes.empty()) {
        const DWORD chunk =
            static_cast<DWORD>(bytes.size() < (1u << 30) ? bytes.size() : (1u << 30));
        DWORD written = 0;
        if (!WriteFile(file, bytes.data(), chunk, &written, nullptr)) {
            return GetLastError();
        }
        bytes.remove_prefix(written);
    }
    return ERROR_SUCCESS;
}

// A name of its own for every attempt, so that two programs, or a stale file left by a crash,
// never meet on it.
std::filesystem::path temporaryPath(const std::filesystem::path& path) {
    static std::atomic<unsigned> attempts{0};
    std::wstring name = L".";
    name += path.filename().native();
    name += L'.';
    name += std::to_wstring(GetCurrentProcessId());
    name += L'.';
    name += std::to_wstring(attempts++);
    name += L".tmp";
    return path.parent_path() / name;
}

}  // namespace

std::filesystem::path programDirectory() {
    // Long paths exceed MAX_PATH; the call says so only by filling the whole buffer.
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) {
            return {};
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            return std::filesystem::path(buffer).parent_path();
        }
        if (buffer.size() >= 32768) {
            return {};
        }
        buffer.resize(buffer.size() * 2);
    }
}

FileReadResult readWholeFile(const std::filesystem::path& path) {
    FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD error = GetLastError();
        const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        return {missing ? FileStatus::missing : FileStatus::failed, {}, reasonText(error)};
    }
    FileReadResult result{FileStatus::ok, {}, {}};
    std::string buffer(65536, '\0');
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &count,
                      nullptr)) {
            return {FileStatus::failed, {}, reasonText(GetLastError())};
        }
        if (count == 0) {
            return result;
        }
        result.bytes.append(buffer.data(), count);
    }
}

FileWriteResult replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    // Windows refuses to replace a read-only file, but not every implementation of its calls
    // does (Wine replaces it): the attribute is honoured here, whoever runs the program.
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        return writeFailure(ERROR_ACCESS_DENIED);
    }
    std::filesystem::path temporary;
    FileHandle file;
    for (int attempt = 0; attempt < 100 && !file.valid(); ++attempt) {
        temporary = temporaryPath(path);
        file.reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        const DWORD error = file.valid() ? ERROR_SUCCESS : GetLastError();
        if (error != ERROR_SUCCESS && error != ERROR_FILE_EXISTS) {
            return writeFailure(error);
        }
    }
    if (!file.valid()) {
        return writeFailure(ERROR_FILE_EXISTS);
    }
    DWORD error = writeAll(file.get(), bytes);
    if (error == ERROR_SUCCESS && !FlushFileBuffers(file.get())) {
        error = GetLastError();
    }
    if (const DWORD closeError = file.close(); error == ERROR_SUCCESS) {
        error = closeError;
    }
    if (error == ERROR_SUCCESS &&
        !MoveFileExW(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        return writeFailure(error);
    }
    return {true, {}};
}

std::string pathToGbk(const std::filesystem::path& path) {
    return wideToGbk(path.native());
}

}  // namespace routerdesk
