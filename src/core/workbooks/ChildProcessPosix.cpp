#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#include <cerrno>

#include "workbooks/ChildProcess.h"
#include "workbooks/ChildProcessParts.h"

namespace orvane {

namespace {

class Pipe {
  public:
    Pipe() {
        if (::pipe2(fds_, O_CLOEXEC) != 0) {
            fds_[0] = fds_[1] = -1;
        }
    }
    ~Pipe() {
        CloseRead();
        CloseWrite();
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    bool ok() const { return fds_[0] >= 0; }
    int read() const { return fds_[0]; }
    int write() const { return fds_[1]; }
    void CloseRead() { Close(fds_[0]); }
    void CloseWrite() { Close(fds_[1]); }

  private:
    static void Close(int& fd) {
        if (fd >= 0) {
            ::close(fd);
            fd = -1;
        }
    }
    int fds_[2];
};

[[noreturn]] void RunChild(const ChildTask& task, const std::vector<std::string>& arguments,
                           int fd) {
    // _exit: the child must not run the parent's exit handlers or flush its streams.
    ::_exit(DoChildWork(task, arguments, fd));
}

// Reads everything from `fd` until the writer closes it; false on timeout.
bool ReadUntilClosed(int fd, std::string& bytes, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    char piece[1 << 16];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd wait{fd, POLLIN, 0};
        const int ready = ::poll(&wait, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t n = ::read(fd, piece, sizeof piece);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return true;
        }
        bytes.append(piece, static_cast<size_t>(n));
    }
}

}  // namespace

std::optional<std::string> RunInChildProcess(const ChildTask& task,
                                             const std::vector<std::string>& arguments,
                                             std::chrono::milliseconds limit) {
    Pipe pipe;
    if (!pipe.ok()) {
        return std::nullopt;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        return std::nullopt;
    }
    if (child == 0) {
        pipe.CloseRead();
        RunChild(task, arguments, pipe.write());
    }
    pipe.CloseWrite();
    std::string bytes;
    const bool finished = ReadUntilClosed(pipe.read(), bytes, limit);
    if (!finished) {
        ::kill(child, SIGKILL);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<int> RunChildTaskIfAsked(const std::vector<std::string>&) {
    return std::nullopt;  // children are forked, with their task at hand
}

}  // namespace orvane
