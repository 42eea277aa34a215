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

// The most bytes an input file may hold: 4 GiB, less on a machine with less memory (half of
// it) or in a process whose address space is limited (a quarter of the limit). No real input
// comes near; a device that never ends (/dev/zero) stops here instead of taking all memory.
size_t InputSizeLimit();

// A whole file read into memory, opened once and read once to its end, so that a named pipe
// or standard input works like a file. The bytes go into a page block (huge pages where the
// system allows); reading, not mapping, keeps the text intact when another program writes
// the file anew meanwhile. Throws "Cannot open file %s", and "Cannot read file %s: ..." for
// a file larger than `limit`.
class LoadedFile {
  public:
    LoadedFile() = default;
    explicit LoadedFile(const std::string& path, size_t limit = InputSizeLimit());

    std::string_view bytes() const { return {block_.data(), size_}; }

  private:
    PageBlock block_;
    size_t size_ = 0;
};

}  // namespace orvane
