#include "base/uAtomicSave.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace kelani {
namespace {

// The save of `path` failed with errno set; the text keeps the system's reason for the logs.
[[noreturn]] void Fail(const std::filesystem::path& path, TSaveFailure failure, const std::string& what) {
    const int error = errno;
    throw EFileSaveError(path, failure,
                         "Cannot save file \"" + path.string() + "\": " + what + ". " + std::strerror(error));
}

bool DiskFull(int error) {
    return error == ENOSPC || error == EDQUOT;
}

// Owns the temporary file until it has been renamed over the target.
class TempFile {
public:
    TempFile(const std::filesystem::path& path, const std::filesystem::path& target) : path_(path) {
        static std::atomic<unsigned> counter{0};
        // O_EXCL never opens an existing name, not even a link to elsewhere; a taken name is
        // skipped.
        for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
            temp_ = target;
            temp_ += ".tmp" + std::to_string(getpid()) + "-" + std::to_string(counter++);
            fd_ = ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
            if (fd_ < 0 && errno != EEXIST) break;
        }
        if (fd_ < 0)
            Fail(path_, DiskFull(errno) ? TSaveFailure::WriteFailed : TSaveFailure::FolderRefuses,
                 "cannot create a temporary file");
    }
    ~TempFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!renamed_) ::unlink(temp_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    // The new file keeps the permissions of the one it replaces.
    void KeepMode(mode_t mode) {
        if (::fchmod(fd_, mode & 07777) != 0) Fail(path_, TSaveFailure::Other, "cannot set its permissions");
    }

    void WriteAll(std::span<const std::uint8_t> bytes) {
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) Fail(path_, TSaveFailure::WriteFailed, "cannot write");
            done += static_cast<std::size_t>(n);
        }
        if (::fsync(fd_) != 0) Fail(path_, TSaveFailure::WriteFailed, "cannot flush");
        const int fd = fd_;
        fd_ = -1;
        if (::close(fd) != 0) Fail(path_, TSaveFailure::WriteFailed, "cannot close");
    }

    void RenameOver(const std::filesystem::path& target) {
        if (::rename(temp_.c_str(), target.c_str()) != 0) Fail(path_, TSaveFailure::Other, "cannot replace");
        renamed_ = true;
    }

private:
    std::filesystem::path path_;
    std::filesystem::path temp_;
    int fd_ = -1;
    bool renamed_ = false;
};

// The rename itself reaches the disk only with the folder's entry; failing here loses nothing.
void SyncFolder(const std::filesystem::path& target) {
    std::filesystem::path folder = target.parent_path();
    if (folder.empty()) folder = ".";
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

// The file a save replaces: a symbolic link is followed, so the link stays and its target gets
// the new contents (a dangling link creates its target).
std::filesystem::path SaveTarget(const std::filesystem::path& path) {
    std::filesystem::path target = path;
    std::error_code error;
    for (int hops = 0; std::filesystem::is_symlink(target, error); ++hops) {
        const std::filesystem::path link = std::filesystem::read_symlink(target, error);
        if (error || hops == 40) {
            errno = error ? error.value() : ELOOP;
            Fail(path, TSaveFailure::Other, "cannot follow the link");
        }
        target = link.is_absolute() ? link : target.parent_path() / link;
    }
    return target;
}

// A rename ignores the replaced file's permissions, so they are checked here: a file the user
// may not write is not replaced. Root passes every access check, so a file without any write
// bit counts as read-only for root as well.
void RequireWritable(const std::filesystem::path& path, const std::filesystem::path& target,
                     const struct stat& info) {
    if (::access(target.c_str(), W_OK) != 0) Fail(path, TSaveFailure::ReadOnly, "cannot write");
    if ((info.st_mode & 0222) == 0) {
        errno = EACCES;
        Fail(path, TSaveFailure::ReadOnly, "cannot write");
    }
}

} // namespace

void SaveFileAtomically(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = SaveTarget(path);
    if (std::filesystem::is_directory(target)) {
        errno = EISDIR;
        Fail(path, TSaveFailure::IsFolder, "it is a folder");
    }
    struct stat info {};
    const bool replacing = ::stat(target.c_str(), &info) == 0;
    if (replacing) RequireWritable(path, target, info);
    TempFile temp(path, target);
    if (replacing) temp.KeepMode(info.st_mode);
    temp.WriteAll(bytes);
    temp.RenameOver(target);
    SyncFolder(target);
}

} // namespace kelani
