#pragma once

// What a command-line program does first on every system.

#include <string>
#include <vector>

namespace orvane {

// The program's arguments as UTF-8, its name first. Windows hands main() its arguments in the
// ANSI code page, where Chinese file names are lost: they are read wide from the system there.
std::vector<std::string> ProgramArguments(int argc, char** argv);

// Makes standard output and standard error take UTF-8 as it is, line ends included: on Windows
// the console shows UTF-8 and "\n" stays one byte, so that what the program writes is the same
// on every system. Nothing to do elsewhere.
void UseUtf8StandardStreams();

}  // namespace orvane
