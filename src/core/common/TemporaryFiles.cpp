#include "common/TemporaryFiles.h"

#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif
#include <sys/types.h>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <iterator>

namespace orvane {

namespace {

enum SlotState : int { kFree, kTaken, kReady };

struct Slot {
    std::atomic<int> state{kFree};
    pid_t owner = 0;  // a forked child never removes its parent's files
    char path[RegisteredTemporaryFile::kMaxPathLength];
};

static_assert(std::atomic<int>::is_always_lock_free, "the signal handler reads the states");

// The process's one table: a signal handler reaches nothing but globals, and may only read
// them through lock-free atomics and call async-signal-safe functions (getpid, unlink, raise).
// A handler running on one thread while another thread takes its file off the table and
// registers the next one may read a path being written; writers on several threads are rare
// enough that this is left as it is.
Slot gSlots[RegisteredTemporaryFile::kCapacity];

#ifdef _WIN32

// The handler runs on a thread of its own, where any call may be made; the path is widened on
// the stack.
void RemoveFile(const char* path) {
    wchar_t wide[RegisteredTemporaryFile::kMaxPathLength];
    if (::MultiByteToWideChar(CP_UTF8, 0, path, -1, wide, std::size(wide)) > 0) {
        ::DeleteFileW(wide);
    }
}

#else

void RemoveFile(const char* path) {
    ::unlink(path);
}

#endif

void RemoveRegisteredFiles() {
    const pid_t self = ::getpid();
    for (Slot& slot : gSlots) {
        if (slot.state.load(std::memory_order_acquire) == kReady && slot.owner == self) {
            RemoveFile(slot.path);
        }
    }
}

#ifdef _WIN32

// Ctrl+C, Ctrl+Break, a closed console window, logging off, shutting down.
BOOL WINAPI RemoveTemporaryFilesOnControl(DWORD) {
    RemoveRegisteredFiles();
    return FALSE;  // the next handler, the system's, ends the process as it would have
}

#else

void RemoveTemporaryFilesAndEnd(int signal) {
    RemoveRegisteredFiles();
    // SA_RESETHAND gave the signal its default action back: raised again, it ends the process
    // as it would have without this handler, once the handler returns.
    ::raise(signal);
}

#endif

}  // namespace

#ifdef _WIN32

void RemoveTemporaryFilesOnSignals() {
    ::SetConsoleCtrlHandler(RemoveTemporaryFilesOnControl, TRUE);
    std::atexit(RemoveRegisteredFiles);
}

#else

void RemoveTemporaryFilesOnSignals() {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) {
        struct sigaction current {};
        if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) {
            continue;  // started with the signal ignored (nohup, a background job): it stays so
        }
        struct sigaction action {};
        action.sa_handler = RemoveTemporaryFilesAndEnd;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        ::sigaction(signal, &action, nullptr);
    }
    ::signal(SIGXFSZ, SIG_IGN);
    std::atexit(RemoveRegisteredFiles);
}

#endif

RegisteredTemporaryFile::RegisteredTemporaryFile(const std::string& path) {
    if (path.size() >= kMaxPathLength) {
        return;
    }
    for (int i = 0; i < kCapacity; ++i) {
        Slot& slot = gSlots[i];
        int expected = kFree;
        if (slot.state.compare_exchange_strong(expected, kTaken, std::memory_order_acquire)) {
            std::memcpy(slot.path, path.c_str(), path.size() + 1);
            slot.owner = ::getpid();
            slot.state.store(kReady, std::memory_order_release);
            slot_ = i;
            return;
        }
    }
}

void RegisteredTemporaryFile::Unregister() {
    if (slot_ >= 0) {
        gSlots[slot_].state.store(kFree, std::memory_order_release);
        slot_ = -1;
    }
}

}  // namespace orvane
