#pragma once

// Shared pieces of orvane-convert's subcommands: argument parsing, exit codes, progress.

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "common/Progress.h"
#include "kml/Tkmldocument.h"

namespace orvane::cli {

enum ExitCode { kSuccess = 0, kFailure = 1, kUsage = 2 };

// A mistake in the command's words; reported with the usage text, exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

class Arguments {
  public:
    // Options in `valued` take a value ("--width 4" or "--width=4"); those in `flags` do not.
    Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
              const std::set<std::string>& flags);

    const std::vector<std::string>& positional() const { return positional_; }
    // Exactly `count` positional arguments, or a usage error.
    void ExpectPositional(size_t count) const;
    // The last value given to the option.
    std::optional<std::string> Value(const std::string& option) const;
    // Every value given to an option that may be repeated, in order.
    std::vector<std::string> Values(const std::string& option) const;
    bool Flag(const std::string& option) const { return flags_.contains(option); }
    // The value as an integer within [min, max], or a usage error.
    std::optional<int> IntegerValue(const std::string& option, int min, int max) const;

  private:
    std::vector<std::string> positional_;
    std::map<std::string, std::vector<std::string>> values_;
    std::set<std::string> flags_;
};

// The layout every conversion takes with --layout: "fixed" (the default, the program's own)
// or "standard" (OGC KML 2.2 for GIS programs).
inline constexpr const char* kLayoutOption = "--layout";
KmlLayout LayoutOf(const Arguments& arguments);

// Every conversion takes --digits N: coordinates rounded to N decimals (1 to 15); 0 when not
// given, for coordinates as they are.
inline constexpr const char* kDigitsOption = "--digits";
int DigitsOf(const Arguments& arguments);

// Prints progress on standard error when it is a terminal; silent otherwise.
class TerminalProgress {
  public:
    TerminalProgress();
    ~TerminalProgress();
    TerminalProgress(const TerminalProgress&) = delete;
    TerminalProgress& operator=(const TerminalProgress&) = delete;
    void Show(int percent);
    // Removes the progress text, so that a printed line starts at the line's beginning.
    void Clear();

  private:
    bool terminal_;
    bool shown_ = false;
    int lastPercent_ = -1;
};

// An observer that prints information lines on standard output and progress on a terminal.
ConversionObserver PrintingObserver(TerminalProgress& progress);

// Writes a line to standard output.
void PrintLine(const std::string& line);

}  // namespace orvane::cli
