#include "common/Errors.h"

namespace orvane {

namespace {
std::string Quoted(std::string_view text) {
    std::string s;
    s.reserve(text.size() + 2);
    s += '\'';
    s += text;
    s += '\'';
    return s;
}
}  // namespace

Error InvalidIntegerError(std::string_view text) {
    return Error(Quoted(text) + " is not a valid integer value");
}

Error InvalidFloatError(std::string_view text) {
    return Error(Quoted(text) + " is not a valid floating point value");
}

Error ListIndexError(long long index) {
    return Error("List index out of bounds (" + std::to_string(index) + ")");
}

Error CannotOpenFileError(std::string_view path) {
    return Error("Cannot open file " + std::string(path));
}

Error CannotCreateFileError(std::string_view path) {
    return Error("Cannot create file " + std::string(path));
}

Error InputTooLargeError(std::string_view path, size_t limit) {
    return Error("Cannot read file " + std::string(path) + ": it is larger than " +
                 std::to_string(limit >> 20) + " MB, the most Orvane reads on this computer");
}

}  // namespace orvane
