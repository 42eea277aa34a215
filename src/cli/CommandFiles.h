#pragma once

// What every command does with the files it is given: "-" for standard input, an output
// that must not be one of the inputs, and errors about an input that name the input.

#include <string>
#include <utility>
#include <vector>

#include "common/Errors.h"

namespace orvane::cli {

// The path the core reads for an INPUT argument: "-" is standard input (/dev/stdin, read
// once to its end like any pipe), anything else the path itself.
std::string InputPath(const std::string& argument);

// Refuses an output that cannot be written or would replace an input, before anything is
// read (commands call it first), with orvane::Error "Cannot create file OUTPUT: REASON" (exit
// status 1). REASON is "the output file is the input file" for one of the inputs, the same
// file by name, through a symbolic link or as a hard link; else what OutputRefusal says: a
// folder, a device, a named pipe, a socket or a read-only file.
void CheckOutputPath(const std::string& output, const std::vector<std::string>& inputs);

// Whether the message names the file at `path` as the system's texts do ("Cannot open file
// PATH", "Cannot create file PATH", "Cannot read workbook PATH: ...").
bool NamesFile(const std::string& message, const std::string& path);

// An error met while working on `input`, with the input's name before the system's text:
// "regions.mif: List index out of bounds (7)". A message that names `input` or `output`
// already ("Cannot open file regions.mif", "Cannot create file out.kml") stays as it is.
[[nodiscard]] Error NamingInput(const std::string& input, const std::string& output,
                                const Error& error);

// Runs `work`, which reads `input` (and may write `output`), and gives back what it returns;
// an orvane::Error from it comes out through NamingInput. Wrap only work whose errors are
// about the input or name a file themselves, not a colour configuration file's.
template <typename Work>
decltype(auto) ReadingInput(const std::string& input, const std::string& output, Work&& work) {
    try {
        return std::forward<Work>(work)();
    } catch (const Error& error) {
        throw NamingInput(input, output, error);
    }
}

}  // namespace orvane::cli
