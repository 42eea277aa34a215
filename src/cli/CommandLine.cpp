#include "CommandLine.h"

#include <unistd.h>
#include <charconv>
#include <cstdio>
#include <iostream>

namespace orvane::cli {

namespace {

// Whether the word is one of the command's options ("--width" or "--width=4"), which the
// option before it then cannot take as its value.
bool IsOption(const std::string& word, const std::set<std::string>& valued,
              const std::set<std::string>& flags) {
    const std::string name = word.substr(0, word.find('='));
    return valued.contains(name) || flags.contains(name);
}

}  // namespace

Arguments::Arguments(const std::vector<std::string>& words, const std::set<std::string>& valued,
                     const std::set<std::string>& flags) {
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (!word.starts_with("--")) {
            positional_.push_back(word);
            continue;
        }
        std::string name = word;
        std::optional<std::string> value;
        if (const size_t equals = word.find('='); equals != std::string::npos) {
            name = word.substr(0, equals);
            value = word.substr(equals + 1);
        }
        if (valued.contains(name)) {
            if (!value && i + 1 < words.size() && !IsOption(words[i + 1], valued, flags)) {
                value = words[++i];
            }
            // No option takes an empty text: a field, scheme or file always has a name.
            if (!value || value->empty()) {
                throw UsageError("option " + name + " needs a value");
            }
            values_[name].push_back(*value);
        } else if (flags.contains(name) && !value) {
            flags_.insert(name);
        } else {
            throw UsageError("unknown option " + word);
        }
    }
}

void Arguments::ExpectPositional(size_t count) const {
    if (positional_.size() < count) {
        throw UsageError("missing arguments");
    }
    if (positional_.size() > count) {
        throw UsageError("unexpected argument " + positional_[count]);
    }
}

std::optional<std::string> Arguments::Value(const std::string& option) const {
    const auto found = values_.find(option);
    if (found == values_.end()) {
        return std::nullopt;
    }
    return found->second.back();
}

std::vector<std::string> Arguments::Values(const std::string& option) const {
    const auto found = values_.find(option);
    return found == values_.end() ? std::vector<std::string>() : found->second;
}

std::optional<int> Arguments::IntegerValue(const std::string& option, int min, int max) const {
    const auto text = Value(option);
    if (!text) {
        return std::nullopt;
    }
    int value = 0;
    const char* last = text->data() + text->size();
    const auto [ptr, ec] = std::from_chars(text->data(), last, value);
    if (text->empty() || ec != std::errc() || ptr != last || value < min || value > max) {
        throw UsageError(option + " takes a whole number from " + std::to_string(min) + " to " +
                         std::to_string(max));
    }
    return value;
}

KmlLayout LayoutOf(const Arguments& arguments) {
    const std::string layout = arguments.Value(kLayoutOption).value_or("fixed");
    if (layout == "fixed") {
        return KmlLayout::Fixed;
    }
    if (layout == "standard") {
        return KmlLayout::Standard;
    }
    throw UsageError("--layout takes fixed or standard");
}

int DigitsOf(const Arguments& arguments) {
    return arguments.IntegerValue(kDigitsOption, 1, kMaxCoordinateDigits).value_or(0);
}

TerminalProgress::TerminalProgress() : terminal_(::isatty(STDERR_FILENO) == 1) {}

TerminalProgress::~TerminalProgress() {
    Clear();
}

void TerminalProgress::Clear() {
    if (shown_) {
        std::fputs("\r     \r", stderr);
        std::fflush(stderr);
        shown_ = false;
    }
}

void TerminalProgress::Show(int percent) {
    // Conversions report every record; the terminal needs only the changes.
    if (!terminal_ || (shown_ && percent == lastPercent_)) {
        return;
    }
    lastPercent_ = percent;
    std::fprintf(stderr, "\r%3d%%", percent);
    std::fflush(stderr);
    shown_ = true;
}

ConversionObserver PrintingObserver(TerminalProgress& progress) {
    ConversionObserver observer;
    observer.progress = [&progress](int percent) { progress.Show(percent); };
    observer.info = [&progress](std::string_view line) {
        progress.Clear();
        std::cout << line << '\n';
    };
    return observer;
}

void PrintLine(const std::string& line) {
    std::cout << line << '\n';
}

}  // namespace orvane::cli
