#include "common/SafeFile.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <random>

#include "common/SystemFiles.h"
#ifdef _WIN32
#include "common/windows/WideText.h"
#endif

namespace orvane {

namespace {

constexpr size_t kUniqueLength = 6;
#ifdef _WIN32
constexpr std::string_view kSeparators = "/\\";
#else
constexpr std::string_view kSeparators = "/";
#endif

// The folder part of a path, "." when it has none.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.find_last_of(kSeparators);
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
    const size_t slash = path.find_last_of(kSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

#ifdef _WIN32

// Windows replaces the file a symbolic link names when the link is replaced: the path is the
// file.
std::optional<std::string> FollowLinks(std::string path) {
    return path;
}

#else

// As many links as the kernel follows in one path.
constexpr int kMaxLinks = 40;

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

#endif

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

#ifdef _WIN32

using FileMode = int;
constexpr size_t kNameMax = 255;  // UTF-16 units on NTFS; a UTF-8 byte never stands for more

// A new file that may be deleted while open, so that the console control handler can remove
// it while the conversion still writes.
int CreateNewFile(const std::string& path, FileMode) {
    const HANDLE handle =
        ::CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        errno = ::GetLastError() == ERROR_FILE_EXISTS ? EEXIST : EACCES;
        return -1;
    }
    const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
    if (fd < 0) {
        ::CloseHandle(handle);
        return -1;
    }
    ::_setmode(fd, _O_BINARY);
    return fd;
}

size_t NameMax(const std::string&) {
    return kNameMax;
}

#else

using FileMode = mode_t;

int CreateNewFile(const std::string& path, FileMode mode) {
    return ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
}

size_t NameMax(const std::string& folder) {
    const long limit = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    return limit > 0 ? static_cast<size_t>(limit) : NAME_MAX;
}

#endif

// Creates a new temporary file for `file` in its folder; its path goes to `path`. Permissions
// `mode` less the umask, as for any new file.
int CreateTemporaryFile(const std::string& file, FileMode mode, std::string& path) {
    static constexpr std::string_view kLetters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const std::string folder = FolderOf(file);
    const size_t nameMax = NameMax(folder);
    std::random_device random;
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::uint64_t bits = (std::uint64_t{random()} << 32) | random();
        std::string unique;
        for (size_t k = 0; k < kUniqueLength; ++k) {
            unique += kLetters[bits % kLetters.size()];
            bits /= kLetters.size();
        }
        path = folder + "/" + TemporaryName(NameOf(file), nameMax, unique);
        const int fd = CreateNewFile(path, mode);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

#ifdef _WIN32

// Replacing keeps the existing file's attributes and access rights (RenamePath).
void TakeOwnerAndPermissions(int, const FileStatus&) {}

#else

// The new file takes the place of `existing`: it keeps its owner and group where this process
// may set them (a changed owner clears set-user-ID bits, so permissions come after).
void TakeOwnerAndPermissions(int fd, const FileStatus& existing) {
    if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
        [[maybe_unused]] const int ignored = ::fchown(fd, static_cast<uid_t>(-1), existing.st_gid);
    }
    ::fchmod(fd, existing.st_mode & 07777);
}

#endif

}  // namespace

#ifdef _WIN32

std::optional<std::string> OutputRefusal(const std::string& path) {
    // Opened without access, only to look: devices (NUL, CON, COM1) and pipes open as well.
    const HANDLE handle = ::CreateFileW(
        Widen(path).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        return std::nullopt;  // nothing there yet; creating it tells what else is wrong
    }
    const DWORD type = ::GetFileType(handle);
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = type == FILE_TYPE_DISK && ::GetFileInformationByHandle(handle, &information);
    ::CloseHandle(handle);
    if (type == FILE_TYPE_PIPE) {
        return "the output file is a named pipe";
    }
    if (type == FILE_TYPE_CHAR) {
        return "the output file is a device";
    }
    if (!known) {
        return "the output file is no regular file";
    }
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        return "the output file is a folder";
    }
    if (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
        return "the output file is read-only";
    }
    return std::nullopt;
}

#else

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

#endif

AtomicFileWriter::AtomicFileWriter(std::string target) {
    if (target.empty() || kSeparators.find(target.back()) != std::string_view::npos ||
        OutputRefusal(target)) {
        return;
    }
    std::optional<std::string> file = FollowLinks(std::move(target));
    if (!file) {
        return;
    }
    file_ = std::move(*file);
    FileStatus existing{};
    const bool exists = StatPath(file_, existing) == 0;
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
        const long long written = WriteSome(fd_, bytes.data(), bytes.size());
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
        const long long written = WriteAt(fd_, bytes.data(), bytes.size(), offset);
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
    if (CloseFile(fd) != 0 || RenamePath(temporary_, file_) != 0) {
        Discard();
        return false;
    }
    temporary_.clear();
    registration_.reset();  // only now: until the rename a signal must remove the file
    return true;
}

void AtomicFileWriter::Discard() {
    if (fd_ >= 0) {
        CloseFile(fd_);
        fd_ = -1;
    }
    if (!temporary_.empty()) {
        RemovePath(temporary_);
        temporary_.clear();
    }
    registration_.reset();
}

}  // namespace orvane
