#include "common/SafeFile.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace orvane {

namespace {
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
}  // namespace

AtomicFileWriter::AtomicFileWriter(std::string target) : target_(std::move(target)) {
    if (target_.empty() || target_.back() == '/') {
        return;
    }
    std::string pattern = FolderOf(target_) + "/." + NameOf(target_) + ".XXXXXX";
    fd_ = ::mkstemp(pattern.data());
    if (fd_ < 0) {
        return;
    }
    temporary_ = std::move(pattern);
    // mkstemp creates the file for its owner only; give it the usual permissions.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd_, 0666 & ~mask);
    buffer_.reserve(kBufferSize + (kBufferSize >> 2));
}

AtomicFileWriter::~AtomicFileWriter() {
    Discard();
}

void AtomicFileWriter::Write(std::string_view bytes) {
    buffer_ += bytes;
    FlushIfFull();
}

void AtomicFileWriter::Flush() {
    if (fd_ < 0 || failed_) {
        buffer_.clear();
        return;
    }
    const char* p = buffer_.data();
    size_t left = buffer_.size();
    while (left > 0) {
        const ssize_t written = ::write(fd_, p, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            failed_ = true;
            break;
        }
        p += written;
        left -= static_cast<size_t>(written);
    }
    buffer_.clear();
}

bool AtomicFileWriter::Commit() {
    Flush();
    if (fd_ < 0 || failed_) {
        Discard();
        return false;
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || std::rename(temporary_.c_str(), target_.c_str()) != 0) {
        ::unlink(temporary_.c_str());
        temporary_.clear();
        return false;
    }
    temporary_.clear();
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
}

}  // namespace orvane
