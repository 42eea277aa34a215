#pragma once

// The temporary files that the safe writer has open, removed when a signal ends the process,
// so that an interrupted conversion leaves the target as it was and nothing beside it.

#include <string>

namespace orvane {

// Makes SIGINT, SIGTERM, SIGHUP and SIGPIPE remove the registered temporary files before the
// signal ends the process as it would have (a signal the process ignores stays ignored), and
// makes exit() remove them too. Ignores SIGXFSZ, so that a file that reaches the file-size
// limit fails to be written like any other write ("Cannot create file %s") instead of
// killing the process. On Windows, Ctrl+C, Ctrl+Break and a closed console window remove them
// (a console control handler). Programs call it once, at the start of main.
void RemoveTemporaryFilesOnSignals();

// One temporary file in the table the signal handler reads, from construction until
// destruction. The table has room for kCapacity files whose paths are shorter than
// kMaxPathLength; a file beyond that is not registered and stays like one left by SIGKILL.
class RegisteredTemporaryFile {
  public:
    static constexpr int kCapacity = 64;
    static constexpr size_t kMaxPathLength = 4096;

    RegisteredTemporaryFile() = default;
    explicit RegisteredTemporaryFile(const std::string& path);
    ~RegisteredTemporaryFile() { Unregister(); }
    RegisteredTemporaryFile(const RegisteredTemporaryFile&) = delete;
    RegisteredTemporaryFile& operator=(const RegisteredTemporaryFile&) = delete;

    // Takes the file off the table: call it once the file is renamed or removed.
    void Unregister();

  private:
    int slot_ = -1;
};

}  // namespace orvane
