// Windows has no fork: the child is the program started anew with kChildSwitch, the task's
// name and its arguments, and answers through a pipe as its standard output.

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <thread>

#include "common/windows/WideText.h"
#include "workbooks/ChildProcess.h"
#include "workbooks/ChildProcessParts.h"

namespace orvane {

namespace {

struct HandleCloser {
    void operator()(HANDLE handle) const {
        if (handle != nullptr && handle != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle);
        }
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// One argument as CommandLineToArgvW reads it back: quoted, with the backslashes before a
// quote doubled.
void AppendQuoted(std::wstring& line, const std::wstring& argument) {
    line += L" \"";
    size_t backslashes = 0;
    for (const wchar_t c : argument) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        line.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        line += c;
    }
    line.append(backslashes * 2, L'\\');
    line += L'"';
}

std::wstring ThisProgram() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

std::wstring CommandLine(const std::wstring& program, const ChildTask& task,
                         const std::vector<std::string>& arguments) {
    std::wstring line;
    AppendQuoted(line, program);
    AppendQuoted(line, Widen(kChildSwitch));
    AppendQuoted(line, Widen(task.name()));
    for (const std::string& argument : arguments) {
        AppendQuoted(line, Widen(argument));
    }
    return line.substr(1);
}

// Everything the child writes until it ends; the pipe breaks when it does.
std::string ReadAll(HANDLE pipe) {
    std::string bytes;
    char piece[1 << 16];
    DWORD got = 0;
    while (::ReadFile(pipe, piece, sizeof piece, &got, nullptr) && got > 0) {
        bytes.append(piece, got);
    }
    return bytes;
}

}  // namespace

std::optional<std::string> RunInChildProcess(const ChildTask& task,
                                             const std::vector<std::string>& arguments,
                                             std::chrono::milliseconds limit) {
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    SECURITY_ATTRIBUTES inheritable{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    if (!::CreatePipe(&readEnd, &writeEnd, &inheritable, 0)) {
        return std::nullopt;
    }
    const Handle reader(readEnd);
    Handle writer(writeEnd);
    ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writeEnd;
    startup.hStdError = nullptr;
    PROCESS_INFORMATION process{};
    std::wstring line = CommandLine(ThisProgram(), task, arguments);
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                          nullptr, &startup, &process)) {
        return std::nullopt;
    }
    const Handle child(process.hProcess);
    const Handle thread(process.hThread);
    writer.reset();  // the child holds the only write end now: its end breaks the pipe

    std::string bytes;
    std::thread reading([&] { bytes = ReadAll(readEnd); });
    const bool finished =
        ::WaitForSingleObject(child.get(), static_cast<DWORD>(limit.count())) == WAIT_OBJECT_0;
    if (!finished) {
        ::TerminateProcess(child.get(), 1);
        ::WaitForSingleObject(child.get(), INFINITE);
    }
    reading.join();
    DWORD status = 1;
    if (!finished || !::GetExitCodeProcess(child.get(), &status) || status != 0) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<int> RunChildTaskIfAsked(const std::vector<std::string>& arguments) {
    if (arguments.size() < 3 || arguments[1] != kChildSwitch) {
        return std::nullopt;
    }
    // A crash ends the child at once, without a dialog that would wait for the time limit.
    ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const ChildTask* task = FindChildTask(arguments[2]);
    if (task == nullptr) {
        return 2;
    }
    const int output = ::_fileno(stdout);
    ::_setmode(output, _O_BINARY);
    return DoChildWork(*task, std::vector<std::string>(arguments.begin() + 3, arguments.end()),
                       output);
}

}  // namespace orvane
