#include "common/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>

namespace orvane {

namespace {

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;
constexpr size_t kUniqueLength = 6;

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a path names once symbolic links are followed: the path itself, or where its last
// link points (which need not exist yet). Nothing for links that go round in a loop.
std::optional<std::string> FollowLinks(std::string path) {
    for (int hops = 0; hops < kMaxLinks; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) {
            return path;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t length = ::readlink(path.c_str(), link.data(), link.size());
        if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
            return std::nullopt;
        }
        link.resize(static_cast<size_t>(length));
        path = link.front() == '/' ? link : FolderOf(path) + "/" + link;
    }
    return std::nullopt;
}

// ".NAME.UNIQUE.orvane-tmp", NAME shortened at a character boundary so that the whole takes
// at most `nameMax` bytes.
std::string TemporaryName(std::string_view name, size_t nameMax, std::string_view unique) {
    const size_t fixed = 2 + unique.size() + kTemporaryFileSuffix.size();
    size_t keep = std::min(name.size(), nameMax > fixed ? nameMax - fixed : 0);
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80) {
        --keep;  // not inside a UTF-8 sequence
    }
    std::string temporary = ".";
    temporary += name.substr(0, keep);
    temporary += '.';
    temporary += unique;
    temporary += kTemporaryFileSuffix;
    return temporary;
}

// Creates a new temporary file for `file` in its folder; its path goes to `path`. Permissions
// `mode` less the umask, as for any new file.
int CreateTemporaryFile(const std::string& file, mode_t mode, std::string& path) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string folder = FolderOf(file);
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const size_t nameMax = limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t bits = (std::uint64_t{random()} << 32) | random();
        std::string unique;
        for (size_t k = 0; k < kUniqueLength; ++k) {
            unique += kLetters[bits % kLetters.size()];
            bits /= kLetters.size();
        }
        path = folder + "/" + TemporaryName(NameOf(file), nameMax, unique);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

// The new file takes the place of `existing`: it keeps its owner and group where this process
// may set them (a changed owner clears set-user-ID bits, so permissions come after).
void TakeOwnerAndPermissions(int fd, const struct stat& existing) {
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    ::fchmod(fd, existing.st_mode & 07777);
}

}  // namespace

std::optional<std::string> OutputRefusal(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return std::nullopt;  // nothing there yet; creating it tells what else is wrong
    }
    if (S_ISDIR(info.st_mode)) {
        return "the output file is a folder";
    }
    if (S_ISFIFO(info.st_mode)) {
        return "the output file is a named pipe";
    }
    if (S_ISCHR(info.st_mode) || S_ISBLK(info.st_mode)) {
        return "the output file is a device";
    }
    if (!S_ISREG(info.st_mode)) {
        return "the output file is no regular file";
    }
    // Replacing it would take write permission on its folder only: a file the user made
    // read-only would go without a word.
    if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0) {
        return "the output file is read-only";
    }
    return std::nullopt;
}

AtomicFileWriter::AtomicFileWriter(std::string target) {
    if (target.empty() || target.back() == '/' || OutputRefusal(target)) {
        return;
    }
    std::optional<std::string> file = FollowLinks(std::move(target));
    if (!file) {
        return;
    }
    file_ = std::move(*file);
    struct stat existing {};
    const bool exists = ::stat(file_.c_str(), &existing) == 0;
    if (!exists && errno != ENOENT) {
        return;
    }
    // A file in place of an existing one is private until it has the existing one's
    // permissions.
    std::string temporary;
    fd_ = CreateTemporaryFile(file_, exists ? 0600 : 0666, temporary);
    if (fd_ < 0) {
        return;
    }
    temporary_ = std::move(temporary);
    registration_.emplace(temporary_);
    if (exists) {
        TakeOwnerAndPermissions(fd_, existing);
    }
    buffer_.reserve(kBufferSize + (kBufferSize >> 2));
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Write(std::string_view bytes) {
    if (buffer_.empty() && bytes.size() >= kBufferSize) {
        WriteOut(bytes);  // large pieces skip the copy into the buffer
        return;
    }
    buffer_ += bytes;
    FlushIfFull();
}

void AtomicFileWriter::Flush() {
    WriteOut(buffer_);
    buffer_.clear();
}

void AtomicFileWriter::WriteOut(std::string_view bytes) {
    flushed_ += bytes.size();
    while (fd_ >= 0 && !failed_ && !bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
}

void AtomicFileWriter::Overwrite(std::uint64_t offset, std::string_view bytes) {
    if (offset + bytes.size() > size()) {
        failed_ = true;
        return;
    }
    Flush();
    while (fd_ >= 0 && !failed_ && !bytes.empty()) {
        const ssize_t written =
            ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            failed_ = true;
            break;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
        offset += static_cast<std::uint64_t>(written);
    }
}

bool AtomicFileWriter::Commit() {
    Flush();
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(temporary_.c_str(), file_.c_str()) != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    registration_.reset();  // only now: until the rename a signal must remove the file
    return true;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
    }
    registration_.reset();
}

}  // namespace orvane
