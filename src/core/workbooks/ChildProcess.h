#pragma once

// Runs library code that cannot be trusted with hostile input in a child process, so that
// a crash or a hang there cannot take the program with it.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

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

// Work for a child process: it reads its arguments and writes its answer.
using ChildWork = void (*)(const std::vector<std::string>& arguments, ChildOutput& output);

// A named piece of child work. Define tasks as constants at namespace scope: every process of
// the program then knows them from its start, so that a child started anew, as on Windows,
// which has no fork, finds its task by name.
class ChildTask {
  public:
    ChildTask(std::string_view name, ChildWork work);
    ChildTask(const ChildTask&) = delete;
    ChildTask& operator=(const ChildTask&) = delete;

    std::string_view name() const { return name_; }
    ChildWork work() const { return work_; }

  private:
    std::string_view name_;
    ChildWork work_;
};

// Runs `task` in a child process and gives what it wrote; nothing when the child could not
// be started, crashed, threw, or took longer than `limit` (it is then killed).
std::optional<std::string> RunInChildProcess(const ChildTask& task,
                                             const std::vector<std::string>& arguments,
                                             std::chrono::milliseconds limit);

// How a child is started where it cannot be forked: PROGRAM --orvane-child TASK ARGUMENTS...,
// its answer going to standard output.
inline constexpr std::string_view kChildSwitch = "--orvane-child";

// Programs that read .xls files call this first in main, with their arguments as UTF-8
// (program name first): in a process started as a child it does the task and gives the exit
// status for main to return; otherwise it gives nothing.
std::optional<int> RunChildTaskIfAsked(const std::vector<std::string>& arguments);

}  // namespace orvane
