#pragma once

// orvane-convert's subcommands; each takes the words after its name and returns the exit
// status. Errors of the conversion propagate as orvane::Error, usage mistakes as UsageError.

#include <string>
#include <vector>

namespace orvane::cli {

int RunPoints(const std::vector<std::string>& words);
int RunMif(const std::vector<std::string>& words);
int RunDt(const std::vector<std::string>& words);
int RunBs(const std::vector<std::string>& words);
int RunCqt(const std::vector<std::string>& words);
int RunInspect(const std::vector<std::string>& words);

}  // namespace orvane::cli
