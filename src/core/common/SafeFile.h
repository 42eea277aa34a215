#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace orvane {

// Writes a file through a temporary file in the target's folder that replaces the target
// only when everything was written: a failed or abandoned write leaves an existing file as
// it was and creates no empty one.
class AtomicFileWriter {
  public:
    explicit AtomicFileWriter(std::string target);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    // False once anything failed (the temporary file could not be created or written).
    bool ok() const { return fd_ >= 0 && !failed_; }
    void Write(std::string_view bytes);
    // How many bytes were written so far, buffered ones included.
    std::uint64_t size() const { return flushed_ + buffer_.size(); }
    // Writes `bytes` over what was written at `offset` (a header completed afterwards); the
    // file does not grow beyond size().
    void Overwrite(std::uint64_t offset, std::string_view bytes);
    // Buffered writing: append to buffer() and call Flush() now and then.
    std::string& buffer() { return buffer_; }
    void FlushIfFull() {
        if (buffer_.size() >= kBufferSize) {
            Flush();
        }
    }
    void Flush();
    // Writes what is buffered, closes and renames the file over the target; true on success.
    bool Commit();

  private:
    static constexpr size_t kBufferSize = 1 << 17;
    void WriteOut(std::string_view bytes);
    void Discard();

    std::string target_;
    std::string temporary_;
    std::string buffer_;
    std::uint64_t flushed_ = 0;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace orvane
