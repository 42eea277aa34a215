#pragma once

// Runs library code that cannot be trusted with hostile input in a child process, so that
// a crash or a hang there cannot take the program with it.

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orvane {

// Passes the child's answer back to the parent.
class ChildOutput {
  public:
    explicit ChildOutput(int fd) : fd_(fd) {}
    void Write(std::string_view bytes);
    void WriteNumber(std::uint32_t value);
    void WriteText(std::string_view text);  // its length, then its bytes
    void Flush();

  private:
    int fd_;
    std::string buffer_;
};

// Reads what the child wrote, in the order it was written.
class ChildAnswer {
  public:
    explicit ChildAnswer(std::string bytes) : bytes_(std::move(bytes)) {}
    bool AtEnd() const { return position_ >= bytes_.size(); }
    // Nothing when the answer ends early.
    std::optional<std::uint32_t> ReadNumber();
    std::optional<std::string_view> ReadText();

  private:
    std::string bytes_;
    size_t position_ = 0;
};

// Runs `work` in a child process and gives what it wrote; nothing when the child could not
// be started, crashed, threw, or took longer than `limit` (it is then killed).
std::optional<std::string> RunInChildProcess(const std::function<void(ChildOutput&)>& work,
                                             std::chrono::milliseconds limit);

}  // namespace orvane
