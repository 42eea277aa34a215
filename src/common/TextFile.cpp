#include "common/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstring>

#include "common/Encoding.h"
#include "common/Errors.h"

namespace orvane {

TextLines::TextLines(std::string text) : text_(std::move(text)) {
    const char* const data = text_.data();
    const size_t n = text_.size();
    size_t begin = 0;
    while (begin < n) {
        const void* lf = std::memchr(data + begin, '\n', n - begin);
        const size_t lineFeed = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : n;
        // A lone CR also ends a line; look for one inside the run up to the line feed.
        const void* cr = std::memchr(data + begin, '\r', lineFeed - begin);
        const size_t carriageReturn =
            cr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : lineFeed;
        if (carriageReturn < lineFeed) {
            bounds_.push_back({begin, carriageReturn - begin});
            const bool crlf = carriageReturn + 1 == lineFeed;
            begin = carriageReturn + (crlf ? 2 : 1);
        } else {
            bounds_.push_back({begin, lineFeed - begin});
            begin = lineFeed + 1;
        }
    }
}

std::string_view TextLines::at(long long index) const {
    if (index < 0 || static_cast<unsigned long long>(index) >= bounds_.size()) {
        throw ListIndexError(index);
    }
    return (*this)[static_cast<size_t>(index)];
}

namespace {
class FileDescriptor {
  public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};
}  // namespace

std::string ReadFileBytes(const std::string& path) {
    const FileDescriptor file(path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || ::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) {
        throw CannotOpenFileError(path);
    }
    // Read straight into the result; a file that is no regular file (a pipe) grows it.
    std::string bytes;
    size_t used = 0;
    bytes.resize(S_ISREG(info.st_mode) ? static_cast<size_t>(info.st_size) + 1 : 1 << 16);
    for (;;) {
        if (used == bytes.size()) {
            bytes.resize(bytes.size() * 2);
        }
        const ssize_t got = ::read(file.get(), bytes.data() + used, bytes.size() - used);
        if (got < 0) {
            throw CannotOpenFileError(path);
        }
        if (got == 0) {
            break;
        }
        used += static_cast<size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

TextLines ReadTextLines(const std::string& path) {
    return TextLines(DecodeText(ReadFileBytes(path)));
}

}  // namespace orvane
