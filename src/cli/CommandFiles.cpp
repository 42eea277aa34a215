#include "CommandFiles.h"

#include <sys/stat.h>

#include "common/SafeFile.h"

namespace orvane::cli {

std::string InputPath(const std::string& argument) {
    return argument == "-" ? "/dev/stdin" : argument;
}

namespace {

[[noreturn]] void RefuseOutput(const std::string& output, const std::string& reason) {
    throw Error(std::string(CannotCreateFileError(output).what()) + ": " + reason);
}

}  // namespace

void CheckOutputPath(const std::string& output, const std::vector<std::string>& inputs) {
    struct stat target {};
    if (::stat(output.c_str(), &target) != 0) {
        return;  // nothing there yet: no input can be it, and nothing refuses it
    }
    for (const std::string& input : inputs) {
        struct stat source {};
        // stat follows symbolic links (and /dev/stdin to what standard input is); a hard
        // link is the same inode.
        if (::stat(input.c_str(), &source) == 0 && source.st_dev == target.st_dev &&
            source.st_ino == target.st_ino) {
            RefuseOutput(output, "the output file is the input file");
        }
    }
    if (const std::optional<std::string> refusal = OutputRefusal(output)) {
        RefuseOutput(output, *refusal);
    }
}

bool NamesFile(const std::string& message, const std::string& path) {
    if (path.empty()) {
        return false;
    }
    for (size_t at = message.find(path); at != std::string::npos; at = message.find(path, at + 1)) {
        const size_t end = at + path.size();
        const bool startsWord = at == 0 || message[at - 1] == ' ';
        const bool endsWord = end == message.size() || message[end] == ':' || message[end] == ' ';
        if (startsWord && endsWord) {
            return true;
        }
    }
    return false;
}

Error NamingInput(const std::string& input, const std::string& output, const Error& error) {
    const std::string message = error.what();
    if (NamesFile(message, input) || NamesFile(message, output)) {
        return error;
    }
    return Error(input + ": " + message);
}

}  // namespace orvane::cli
