#include "common/Memory.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mman.h>
#include <sys/resource.h>
#endif
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <new>
#include <utility>

#include "common/Errors.h"
#include "common/SystemFiles.h"

namespace orvane {

namespace {
constexpr size_t kHugePage = size_t{2} << 20;
}  // namespace

#ifdef _WIN32

// Committed memory reads as zeros; pages never touched take no room in the computer's memory.
PageBlock::PageBlock(size_t bytes) {
    mappingSize_ = bytes;
    mapping_ = ::VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (mapping_ == nullptr) {
        throw std::bad_alloc();
    }
    data_ = static_cast<char*>(mapping_);
    size_ = bytes;
}

#else

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

#endif

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
#ifdef _WIN32
        ::VirtualFree(mapping_, 0, MEM_RELEASE);
#else
        ::munmap(mapping_, mappingSize_);
#endif
        mapping_ = nullptr;
    }
}

size_t InputSizeLimit() {
    size_t limit = size_t{4} << 30;
#ifdef _WIN32
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    if (::GlobalMemoryStatusEx(&memory)) {
        limit = std::min(limit, static_cast<size_t>(memory.ullTotalPhys / 2));
        limit = std::min(limit, static_cast<size_t>(memory.ullTotalVirtual / 4));
    }
#else
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        limit = std::min(limit, static_cast<size_t>(pages) / 2 * static_cast<size_t>(pageSize));
    }
    struct rlimit addressSpace {};
    if (::getrlimit(RLIMIT_AS, &addressSpace) == 0 && addressSpace.rlim_cur != RLIM_INFINITY) {
        limit = std::min(limit, static_cast<size_t>(addressSpace.rlim_cur / 4));
    }
#endif
    return limit;
}

namespace {

class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            CloseFile(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

LoadedFile::LoadedFile(const std::string& path, size_t limit) {
    const Descriptor file(path.empty() ? -1 : OpenForReading(path));
    FileStatus info{};
    if (file.get() < 0 || StatFile(file.get(), info) != 0 || S_ISDIR(info.st_mode)) {
        throw CannotOpenFileError(path);
    }
    const bool regular = S_ISREG(info.st_mode);
    if (regular && static_cast<size_t>(info.st_size) > limit) {
        throw InputTooLargeError(path, limit);
    }
    // A regular file: what it holds now, up to the size it had when opened. A pipe or a
    // device: everything until its end, in room for one byte over the limit, which tells
    // an input of exactly `limit` bytes from a larger one. Pages never written take no
    // memory, so the room costs only what was read.
    const size_t room = regular ? static_cast<size_t>(info.st_size) : limit + 1;
    if (room > 0) {
        block_ = PageBlock(room);
    }
    while (size_ < room) {
        const long long got = ReadSome(file.get(), block_.data() + size_, room - size_);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            throw CannotOpenFileError(path);
        }
        if (got == 0) {
            break;
        }
        size_ += static_cast<size_t>(got);
    }
    if (size_ > limit) {
        throw InputTooLargeError(path, limit);
    }
}

}  // namespace orvane
