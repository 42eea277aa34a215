#pragma once

// Large blocks of memory for the conversions' big data: anonymous memory that the system
// may back with huge pages (far fewer page faults for hundreds of megabytes), and whole
// input files read into such blocks.

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

// A whole regular file read into memory (huge pages where the system allows). Reading, not
// mapping, keeps the text intact when another program writes the file anew meanwhile.
// Throws "Cannot open file %s".
class LoadedFile {
  public:
    LoadedFile() = default;
    explicit LoadedFile(const std::string& path);

    std::string_view bytes() const { return {block_.data(), size_}; }
    // False for files that are no regular files (pipes, devices): read them as a stream.
    bool loaded() const { return loaded_; }

  private:
    PageBlock block_;
    size_t size_ = 0;
    bool loaded_ = false;
};

}  // namespace orvane
