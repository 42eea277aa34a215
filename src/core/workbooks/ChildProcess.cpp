#include "workbooks/ChildProcess.h"

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif
#include <cerrno>
#include <cstring>

#include "workbooks/ChildProcessParts.h"

namespace orvane {

void ChildOutput::Write(std::string_view bytes) {
    buffer_.append(bytes);
    if (buffer_.size() >= (1u << 20)) {
        Flush();
    }
}

void ChildOutput::WriteNumber(std::uint32_t value) {
    char bytes[4];
    std::memcpy(bytes, &value, sizeof bytes);
    Write(std::string_view(bytes, sizeof bytes));
}

void ChildOutput::WriteText(std::string_view text) {
    WriteNumber(static_cast<std::uint32_t>(text.size()));
    Write(text);
}

void ChildOutput::Flush() {
    size_t written = 0;
    while (written < buffer_.size()) {
        const ssize_t n = ::write(fd_, buffer_.data() + written, buffer_.size() - written);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            ::_exit(3);
        }
        written += static_cast<size_t>(n);
    }
    buffer_.clear();
}

std::optional<std::uint32_t> ChildAnswer::ReadNumber() {
    if (bytes_.size() - position_ < 4) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    std::memcpy(&value, bytes_.data() + position_, sizeof value);
    position_ += sizeof value;
    return value;
}

std::optional<std::string_view> ChildAnswer::ReadText() {
    const auto length = ReadNumber();
    if (!length || bytes_.size() - position_ < *length) {
        return std::nullopt;
    }
    const std::string_view text(bytes_.data() + position_, *length);
    position_ += *length;
    return text;
}

namespace {

std::vector<const ChildTask*>& Tasks() {
    static std::vector<const ChildTask*> tasks;
    return tasks;
}

}  // namespace

ChildTask::ChildTask(std::string_view name, ChildWork work) : name_(name), work_(work) {
    Tasks().push_back(this);
}

const ChildTask* FindChildTask(std::string_view name) {
    for (const ChildTask* task : Tasks()) {
        if (task->name() == name) {
            return task;
        }
    }
    return nullptr;
}

int DoChildWork(const ChildTask& task, const std::vector<std::string>& arguments, int fd) {
    try {
        ChildOutput output(fd);
        task.work()(arguments, output);
        output.Flush();
        return 0;
    } catch (...) {
        return 2;
    }
}

}  // namespace orvane
