#include "CommandFiles.h"

#include "common/SafeFile.h"
#include "common/SystemFiles.h"

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
    const std::optional<FileIdentity> target = IdentityOf(output);
    if (!target) {
        return;  // nothing there yet: no input can be it, and nothing refuses it
    }
    for (const std::string& input : inputs) {
        // Links lead to their file; a hard link is the same file.
        if (IdentityOf(input) == target) {
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
