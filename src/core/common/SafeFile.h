#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "common/TemporaryFiles.h"

namespace orvane {

// Why no file can be written at `path` as it stands: it names a folder, a device, a named
// pipe or a socket, or a file that this process may not write ("the output file is a
// folder"). Nothing when it names a file that may be replaced, or nothing yet. Symbolic links
// are followed.
std::optional<std::string> OutputRefusal(const std::string& path);

// How the names of temporary files end: ".NAME.XXXXXX.orvane-tmp" beside the file NAME. Hidden
// and ending otherwise than the file, such a name is never taken for an output; one left by a
// process that was killed (SIGKILL, a power cut) can be deleted.
inline constexpr std::string_view kTemporaryFileSuffix = ".orvane-tmp";

// Writes a file through a temporary file in the target's folder that replaces the target
// only when everything was written: a failed or abandoned write leaves an existing file as
// it was and creates no empty one.
// - A target that is a symbolic link writes the file the link points to; the link stays.
// - An existing file keeps its permission bits, and its owner and group where this process
//   may set them. Other hard links to it keep the old content: the target is a new file.
// - What OutputRefusal refuses is not written (ok() is false from the start).
// - The temporary file's name is never longer than the folder's limit on names, whatever the
//   target's name; a signal that ends the process removes it (RemoveTemporaryFilesOnSignals).
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
    // The temporary file being written, "" when there is none.
    const std::string& temporaryPath() const { return temporary_; }

  private:
    static constexpr size_t kBufferSize = 1 << 17;
    void WriteOut(std::string_view bytes);
    void Discard();

    std::string file_;  // the target, or the file its symbolic link points to
    std::string temporary_;
    std::optional<RegisteredTemporaryFile> registration_;
    std::string buffer_;
    std::uint64_t flushed_ = 0;
    int fd_ = -1;
    bool failed_ = false;
};

}  // namespace orvane
