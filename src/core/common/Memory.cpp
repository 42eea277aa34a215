#include "common/Memory.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdint>
#include <new>
#include <utility>

#include "common/Errors.h"

namespace orvane {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

PageBlock::PageBlock(size_t bytes) {
    // Over-allocate by one huge page so that the block can start on a huge-page boundary.
    mappingSize_ = bytes + kHugePage;
    mapping_ =
        ::mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping_ == MAP_FAILED) {
        mapping_ = nullptr;
        throw std::bad_alloc();
    }
    const auto address = reinterpret_cast<std::uintptr_t>(mapping_);
    const std::uintptr_t aligned = (address + kHugePage - 1) & ~(kHugePage - 1);
    data_ = reinterpret_cast<char*>(aligned);
    size_ = bytes;
    if (bytes >= kHugePage) {
        ::madvise(data_, bytes & ~(kHugePage - 1), MADV_HUGEPAGE);
    }
}

PageBlock::~PageBlock() {
    Release();
}

PageBlock::PageBlock(PageBlock&& other) noexcept
    : mapping_(std::exchange(other.mapping_, nullptr)),
      mappingSize_(std::exchange(other.mappingSize_, 0)),
      data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

PageBlock& PageBlock::operator=(PageBlock&& other) noexcept {
    if (this != &other) {
        Release();
        mapping_ = std::exchange(other.mapping_, nullptr);
        mappingSize_ = std::exchange(other.mappingSize_, 0);
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

void PageBlock::Release() {
    if (mapping_ != nullptr) {
        ::munmap(mapping_, mappingSize_);
        mapping_ = nullptr;
    }
}

LoadedFile::LoadedFile(const std::string& path) {
    const int fd = path.empty() ? -1 : ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat info {};
    if (fd < 0 || ::fstat(fd, &info) != 0 || S_ISDIR(info.st_mode)) {
        if (fd >= 0) {
            ::close(fd);
        }
        throw CannotOpenFileError(path);
    }
    if (S_ISREG(info.st_mode)) {
        const auto expected = static_cast<size_t>(info.st_size);
        if (expected > 0) {
            block_ = PageBlock(expected);
        }
        // What the file holds now, up to the size it had when opened.
        while (size_ < expected) {
            const ssize_t got = ::read(fd, block_.data() + size_, expected - size_);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                ::close(fd);
                throw CannotOpenFileError(path);
            }
            if (got == 0) {
                break;
            }
            size_ += static_cast<size_t>(got);
        }
        loaded_ = true;
    }
    ::close(fd);
}

}  // namespace orvane
