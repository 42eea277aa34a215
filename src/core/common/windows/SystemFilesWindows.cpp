#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "common/SystemFiles.h"
#include "common/windows/WideText.h"

namespace orvane {

namespace {
// _read takes at most INT_MAX bytes a call.
constexpr size_t kMostPerRead = size_t{1} << 30;
}  // namespace

int OpenForReading(const std::string& path) {
    if (path == "/dev/stdin") {
        const int fd = ::_dup(0);
        if (fd >= 0) {
            ::_setmode(fd, _O_BINARY);
        }
        return fd;
    }
    return ::_wopen(Widen(path).c_str(), _O_RDONLY | _O_BINARY | _O_NOINHERIT);
}

int StatPath(const std::string& path, FileStatus& status) {
    if (path == "/dev/stdin") {
        return ::_fstat64(0, &status);
    }
    return ::_wstat64(Widen(path).c_str(), &status);
}

int StatFile(int fd, FileStatus& status) {
    return ::_fstat64(fd, &status);
}

long long ReadSome(int fd, char* data, size_t size) {
    return ::_read(fd, data, static_cast<unsigned>(std::min(size, kMostPerRead)));
}

long long ReadAt(int fd, char* data, size_t size, std::uint64_t offset) {
    const long long position = ::_lseeki64(fd, 0, SEEK_CUR);
    if (position < 0 || ::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) {
        return -1;
    }
    const long long got = ReadSome(fd, data, size);
    ::_lseeki64(fd, position, SEEK_SET);
    return got;
}

long long WriteSome(int fd, const char* data, size_t size) {
    return ::_write(fd, data, static_cast<unsigned>(std::min(size, kMostPerRead)));
}

long long WriteAt(int fd, const char* data, size_t size, std::uint64_t offset) {
    const long long position = ::_lseeki64(fd, 0, SEEK_CUR);
    if (position < 0 || ::_lseeki64(fd, static_cast<long long>(offset), SEEK_SET) < 0) {
        return -1;
    }
    const long long written = WriteSome(fd, data, size);
    ::_lseeki64(fd, position, SEEK_SET);
    return written;
}

int CloseFile(int fd) {
    return ::_close(fd);
}

int RemovePath(const std::string& path) {
    return ::DeleteFileW(Widen(path).c_str()) ? 0 : -1;
}

// ReplaceFileW keeps the replaced file's attributes and access rights, as the POSIX writer
// keeps permissions; where it cannot (a file system without them), MoveFileExW replaces.
int RenamePath(const std::string& from, const std::string& to) {
    const std::wstring source = Widen(from);
    const std::wstring target = Widen(to);
    if (::GetFileAttributesW(target.c_str()) != INVALID_FILE_ATTRIBUTES &&
        ::ReplaceFileW(target.c_str(), source.c_str(), nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
        return 0;
    }
    return ::MoveFileExW(source.c_str(), target.c_str(),
                         MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : -1;
}

std::optional<FileIdentity> IdentityOf(const std::string& path) {
    const bool input = path == "/dev/stdin";
    const HANDLE handle =
        input ? ::GetStdHandle(STD_INPUT_HANDLE)
              : ::CreateFileW(Widen(path).c_str(), 0,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    const bool known = ::GetFileInformationByHandle(handle, &information);
    if (!input) {
        ::CloseHandle(handle);
    }
    if (!known) {
        return std::nullopt;
    }
    return FileIdentity{
        information.dwVolumeSerialNumber,
        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow};
}

}  // namespace orvane
