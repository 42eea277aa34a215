#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orvane {

// An error that stops an operation; its message is one of the system's fixed texts and is
// shown to the user as it stands.
class Error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

[[nodiscard]] Error InvalidIntegerError(std::string_view text);
[[nodiscard]] Error InvalidFloatError(std::string_view text);
[[nodiscard]] Error ListIndexError(long long index);
[[nodiscard]] Error CannotOpenFileError(std::string_view path);
[[nodiscard]] Error CannotCreateFileError(std::string_view path);
// "Cannot read file %s: ..." for an input larger than the `limit` bytes the program reads.
[[nodiscard]] Error InputTooLargeError(std::string_view path, size_t limit);

}  // namespace orvane
