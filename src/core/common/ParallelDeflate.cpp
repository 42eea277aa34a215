#include "common/ParallelDeflate.h"

#include <zlib.h>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

namespace {
// Large enough that a block's own matches dominate, small enough that a few in flight cost
// little memory.
constexpr size_t kBlockSize = size_t{1} << 20;
// Deflate looks back at most this far: a block starts with the previous block's last bytes
// as its dictionary, so cutting the stream into blocks costs almost nothing in size.
constexpr size_t kWindowSize = size_t{1} << 15;
}  // namespace

struct ParallelDeflate::Block {
    std::string input;
    std::string dictionary;
    std::string output;
    std::uint32_t crc = 0;
    bool last = false;
    bool done = false;
    bool ok = true;
};

// Threads that compress the blocks handed to them, each with its own deflate state, and
// hand them back in the order they came.
class ParallelDeflate::Workers {
  public:
    Workers(int level, unsigned count) : level_(level) {
        for (unsigned i = 0; i < count; ++i) {
            threads_.emplace_back([this] { Run(); });
        }
    }

    ~Workers() {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        threads_.clear();  // joins
    }

    // Blocks in flight beyond this make the producer wait: memory stays bounded.
    size_t Capacity() const { return threads_.size() * 2 + 1; }
    size_t InFlight() const { return inOrder_.size(); }

    void Submit(std::unique_ptr<Block> block) {
        {
            const std::lock_guard lock(mutex_);
            waiting_.push_back(block.get());
        }
        inOrder_.push_back(std::move(block));
        wake_.notify_one();
    }

    // The oldest block once compressed; nothing when none is in flight, or when it is not
    // ready and `wait` is false.
    std::unique_ptr<Block> TakeOldest(bool wait) {
        if (inOrder_.empty()) {
            return nullptr;
        }
        std::unique_lock lock(mutex_);
        if (!inOrder_.front()->done) {
            if (!wait) {
                return nullptr;
            }
            done_.wait(lock, [this] { return inOrder_.front()->done; });
        }
        std::unique_ptr<Block> block = std::move(inOrder_.front());
        inOrder_.pop_front();
        return block;
    }

  private:
    void Run() {
        z_stream stream{};
        const bool ready =
            deflateInit2(&stream, level_, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
        for (;;) {
            Block* block = nullptr;
            {
                std::unique_lock lock(mutex_);
                wake_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
                if (stopping_) {
                    break;
                }
                block = waiting_.front();
                waiting_.pop_front();
            }
            block->ok = ready && Compress(stream, *block);
            {
                const std::lock_guard lock(mutex_);
                block->done = true;
            }
            done_.notify_all();
        }
        if (ready) {
            deflateEnd(&stream);
        }
    }

    // A block ends byte-aligned (a sync flush) so that the next block's deflate data can
    // follow it; the last one ends the stream.
    static bool Compress(z_stream& stream, Block& block) {
        const auto* input = reinterpret_cast<const Bytef*>(block.input.data());
        block.crc =
            static_cast<std::uint32_t>(crc32(0, input, static_cast<uInt>(block.input.size())));
        if (deflateReset(&stream) != Z_OK) {
            return false;
        }
        if (!block.dictionary.empty() &&
            deflateSetDictionary(&stream, reinterpret_cast<const Bytef*>(block.dictionary.data()),
                                 static_cast<uInt>(block.dictionary.size())) != Z_OK) {
            return false;
        }
        block.output.resize(deflateBound(&stream, static_cast<uLong>(block.input.size())) + 64);
        stream.next_in = const_cast<Bytef*>(input);
        stream.avail_in = static_cast<uInt>(block.input.size());
        size_t produced = 0;
        const int flush = block.last ? Z_FINISH : Z_SYNC_FLUSH;
        for (;;) {
            if (produced == block.output.size()) {
                block.output.resize(block.output.size() * 2);
            }
            stream.next_out = reinterpret_cast<Bytef*>(block.output.data() + produced);
            stream.avail_out = static_cast<uInt>(block.output.size() - produced);
            const int result = deflate(&stream, flush);
            produced = block.output.size() - stream.avail_out;
            if (result == Z_STREAM_END) {
                break;
            }
            if (result != Z_OK && result != Z_BUF_ERROR) {
                return false;
            }
            if (!block.last && stream.avail_in == 0 && stream.avail_out > 0) {
                break;  // the sync flush is complete
            }
        }
        block.output.resize(produced);
        return true;
    }

    int level_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Block*> waiting_;
    std::deque<std::unique_ptr<Block>> inOrder_;  // touched by the producer only
    bool stopping_ = false;
    std::vector<std::jthread> threads_;
};

ParallelDeflate::ParallelDeflate(int level, Sink sink, unsigned workers)
    : sink_(std::move(sink)), filling_(std::make_unique<Block>()) {
    if (workers == 0) {
        workers = std::max(1u, std::thread::hardware_concurrency());
    }
    workers_ = std::make_unique<Workers>(level, workers);
    filling_->input.reserve(kBlockSize);
}

ParallelDeflate::~ParallelDeflate() = default;

void ParallelDeflate::Write(std::string_view bytes) {
    inputSize_ += bytes.size();
    while (!bytes.empty()) {
        const size_t room = kBlockSize - filling_->input.size();
        const size_t taken = std::min(room, bytes.size());
        filling_->input.append(bytes.substr(0, taken));
        bytes.remove_prefix(taken);
        if (filling_->input.size() == kBlockSize) {
            Submit(false);
        }
    }
}

bool ParallelDeflate::Finish() {
    if (!finished_) {
        finished_ = true;
        Submit(true);
        Deliver(true);
    }
    return ok_;
}

void ParallelDeflate::Submit(bool last) {
    std::unique_ptr<Block> block = std::move(filling_);
    block->last = last;
    filling_ = std::make_unique<Block>();
    if (!last) {
        filling_->input.reserve(kBlockSize);
        const std::string_view input = block->input;
        filling_->dictionary = input.substr(input.size() - std::min(input.size(), kWindowSize));
    }
    workers_->Submit(std::move(block));
    Deliver(false);
}

void ParallelDeflate::Deliver(bool all) {
    for (;;) {
        const bool wait = all || workers_->InFlight() > workers_->Capacity();
        const std::unique_ptr<Block> block = workers_->TakeOldest(wait);
        if (!block) {
            return;
        }
        crc_ = static_cast<std::uint32_t>(
            crc32_combine(crc_, block->crc, static_cast<z_off_t>(block->input.size())));
        ok_ = ok_ && block->ok && sink_(block->output);
    }
}

}  // namespace orvane
