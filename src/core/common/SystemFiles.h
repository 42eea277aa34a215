#pragma once

// The system's calls on files, reached through one place so that paths stay UTF-8 on every
// system: POSIX takes them as they are; Windows, which reads a narrow path in its ANSI code
// page, gets them wide. Descriptors are binary (no line-end translation) and not inherited by
// child processes.

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include <optional>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace orvane {

// Two paths name the same file (through links, or as standard input) when their identities
// are equal: device and inode, or volume and file index.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t file = 0;
    bool operator==(const FileIdentity&) const = default;
};

#ifdef _WIN32

using FileStatus = struct _stat64;

// Read-only; "/dev/stdin" is standard input, as on POSIX. -1 on failure.
int OpenForReading(const std::string& path);
int StatPath(const std::string& path, FileStatus& status);
int StatFile(int fd, FileStatus& status);
long long ReadSome(int fd, char* data, size_t size);
// Reads at `offset` and leaves the position for ReadSome where it was, like pread.
long long ReadAt(int fd, char* data, size_t size, std::uint64_t offset);
long long WriteSome(int fd, const char* data, size_t size);
// Writes at `offset` and leaves the position for WriteSome where it was, like pwrite.
long long WriteAt(int fd, const char* data, size_t size, std::uint64_t offset);
int CloseFile(int fd);
int RemovePath(const std::string& path);
// Puts `from` in the place of `to`, replacing a file there in one step; 0 on success.
int RenamePath(const std::string& from, const std::string& to);
std::optional<FileIdentity> IdentityOf(const std::string& path);

#else

using FileStatus = struct stat;

inline int OpenForReading(const std::string& path) {
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
}
inline int StatPath(const std::string& path, FileStatus& status) {
    return ::stat(path.c_str(), &status);
}
inline int StatFile(int fd, FileStatus& status) {
    return ::fstat(fd, &status);
}
inline long long ReadSome(int fd, char* data, size_t size) {
    return ::read(fd, data, size);
}
inline long long ReadAt(int fd, char* data, size_t size, std::uint64_t offset) {
    return ::pread(fd, data, size, static_cast<off_t>(offset));
}
inline long long WriteSome(int fd, const char* data, size_t size) {
    return ::write(fd, data, size);
}
inline long long WriteAt(int fd, const char* data, size_t size, std::uint64_t offset) {
    return ::pwrite(fd, data, size, static_cast<off_t>(offset));
}
inline int CloseFile(int fd) {
    return ::close(fd);
}
inline int RemovePath(const std::string& path) {
    return ::unlink(path.c_str());
}
inline int RenamePath(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str());
}
// stat follows symbolic links (and /dev/stdin to what standard input is).
inline std::optional<FileIdentity> IdentityOf(const std::string& path) {
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return FileIdentity{static_cast<std::uint64_t>(status.st_dev),
                        static_cast<std::uint64_t>(status.st_ino)};
}

#endif

}  // namespace orvane
