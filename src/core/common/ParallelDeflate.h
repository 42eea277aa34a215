#pragma once

// Deflate on every core: a stream of bytes becomes one raw deflate stream, compressed in
// blocks by worker threads while the caller goes on producing the next bytes.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace orvane {

class ParallelDeflate {
  public:
    // Receives the compressed stream in order, on the thread that calls Write and Finish;
    // returns false when it could not take the bytes.
    using Sink = std::function<bool(std::string_view compressed)>;

    // `level` is zlib's (1 fastest .. 9 smallest); `workers` 0 means one per core.
    ParallelDeflate(int level, Sink sink, unsigned workers = 0);
    ~ParallelDeflate();
    ParallelDeflate(const ParallelDeflate&) = delete;
    ParallelDeflate& operator=(const ParallelDeflate&) = delete;

    void Write(std::string_view bytes);
    // Compresses what is left and ends the stream; true when every byte reached the sink.
    bool Finish();

    // The CRC-32 and the number of the bytes written, for the archive's directory.
    std::uint32_t Crc32() const { return crc_; }
    std::uint64_t InputSize() const { return inputSize_; }

  private:
    struct Block;
    class Workers;

    void Submit(bool last);
    // Hands finished blocks to the sink in order; waits for the oldest while too many are
    // in flight (or until none is when `all`).
    void Deliver(bool all);

    Sink sink_;
    std::unique_ptr<Workers> workers_;
    std::unique_ptr<Block> filling_;
    std::uint32_t crc_ = 0;
    std::uint64_t inputSize_ = 0;
    bool ok_ = true;
    bool finished_ = false;
};

}  // namespace orvane
