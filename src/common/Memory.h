#pragma once

// Large blocks of memory for the conversions' big data: anonymous memory that the system
// may back with huge pages (far fewer page faults for hundreds of megabytes), and read-only
// mappings of input files.

#include <cstddef>
#include <string>
#include <string_view>

namespace orvane {

class PageBlock {
  public:
    PageBlock() = default;
    // Zero-filled memory of at least `bytes` bytes; throws std::bad_alloc when none is left.
    explicit PageBlock(size_t bytes);
    ~PageBlock();
    PageBlock(PageBlock&& other) noexcept;
    PageBlock& operator=(PageBlock&& other) noexcept;
    PageBlock(const PageBlock&) = delete;
    PageBlock& operator=(const PageBlock&) = delete;

    char* data() const { return data_; }
    size_t size() const { return size_; }

  private:
    void Release();
    void* mapping_ = nullptr;
    size_t mappingSize_ = 0;
    char* data_ = nullptr;
    size_t size_ = 0;
};

// A whole file mapped read-only; empty for an empty file. Throws "Cannot open file %s".
class MappedFile {
  public:
    MappedFile() = default;
    explicit MappedFile(const std::string& path);
    ~MappedFile();
    MappedFile(MappedFile&& other) noexcept;
    MappedFile& operator=(MappedFile&& other) noexcept;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;

    std::string_view bytes() const { return {static_cast<const char*>(data_), size_}; }
    // False for files that cannot be mapped (pipes, devices): read them instead.
    bool mapped() const { return data_ != nullptr || regularEmpty_; }

  private:
    void Release();
    void* data_ = nullptr;
    size_t size_ = 0;
    bool regularEmpty_ = false;
};

}  // namespace orvane
