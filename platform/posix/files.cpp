// Files on POSIX systems: whole reads, and replacement by renaming a synced temporary file.
#include "core/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <system_error>

#include "core/gbk.h"

namespace routerdesk {
namespace {

class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() { close(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    void reset(int fd) {
        close();
        fd_ = fd;
    }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }

    // Returns the error of the close, which for a written file may be the first sign that the
    // data did not reach the disk.
    int close() {
        int error = 0;
        if (fd_ >= 0 && ::close(fd_) != 0) {
            error = errno;
        }
        fd_ = -1;
        return error;
    }

  private:
    int fd_;
};

std::string reasonText(int error) {
    // The C library speaks the locale's language, which the GTK face sets to UTF-8.
    return utf8ToGbk(std::system_category().message(error));
}

FileWriteResult writeFailure(int error) {
    return {false, reasonText(error)};
}

int writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return 0;
}

// A name of its own for every attempt, so that two programs, or a stale file left by a crash,
// never meet on it.
std::filesystem::path temporaryPath(const std::filesystem::path& path) {
    static std::atomic<unsigned> attempts{0};
    std::string name = ".";
    name += path.filename().native();
    name += '.';
    name += std::to_string(::getpid());
    name += '.';
    name += std::to_string(attempts++);
    name += ".tmp";
    return path.parent_path() / name;
}

void syncFolder(const std::filesystem::path& folder) {
    // Makes the rename itself survive a power cut; the new content is already safe, so a folder
    // that will not sync does not undo the write.
    FileDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.valid()) {
        ::fsync(fd.get());
    }
}

}  // namespace

std::filesystem::path programDirectory() {
    std::error_code error;
    const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path() : program.parent_path();
}

FileReadResult readWholeFile(const std::filesystem::path& path) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        const int error = errno;
        return {error == ENOENT ? FileStatus::missing : FileStatus::failed, {}, reasonText(error)};
    }
    FileReadResult result{FileStatus::ok, {}, {}};
    std::array<char, 65536> buffer{};
    for (;;) {
        const ssize_t count = ::read(fd.get(), buffer.data(), buffer.size());
        if (count == 0) {
            return result;
        }
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return {FileStatus::failed, {}, reasonText(errno)};
        }
        result.bytes.append(buffer.data(), static_cast<std::size_t>(count));
    }
}

FileWriteResult replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes) {
    // Renaming over a file replaces it whatever its own permissions say; a file the user made
    // read-only is kept, as Windows keeps one with the read-only attribute.
    if (::faccessat(AT_FDCWD, path.c_str(), F_OK, AT_EACCESS) == 0 &&
        ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return writeFailure(errno);
    }
    std::filesystem::path temporary;
    FileDescriptor fd(-1);
    for (int attempt = 0; attempt < 100 && !fd.valid(); ++attempt) {
        temporary = temporaryPath(path);
        fd.reset(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (!fd.valid() && errno != EEXIST) {
            return writeFailure(errno);
        }
    }
    if (!fd.valid()) {
        return writeFailure(EEXIST);
    }
    // The new file takes the old one's permissions: the user may have closed it to others.
    struct stat old {};
    if (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        ::fchmod(fd.get(), old.st_mode & 07777);
    }
    int error = writeAll(fd.get(), bytes);
    if (error == 0 && ::fsync(fd.get()) != 0) {
        error = errno;
    }
    if (const int closeError = fd.close(); error == 0) {
        error = closeError;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        return writeFailure(error);
    }
    syncFolder(path.parent_path());
    return {true, {}};
}

std::string pathToGbk(const std::filesystem::path& path) {
    return utf8ToGbk(path.native());
}

}  // namespace routerdesk
