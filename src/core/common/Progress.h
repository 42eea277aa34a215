#pragma once

#include <functional>
#include <string_view>

namespace orvane {

// How a conversion tells the outside what it is doing: a window fills its progress bar and
// information box, the command line prints.
struct ConversionObserver {
    std::function<void(int percent)> progress;  // 0..100
    std::function<void(std::string_view line)> info;
    // The inputs were checked and the conversion begins its work: a window clears what it
    // showed of an earlier run here, so that an input refused before this point leaves it.
    std::function<void()> started;

    void Progress(int percent) const {
        if (progress) {
            progress(percent);
        }
    }
    void Info(std::string_view line) const {
        if (info) {
            info(line);
        }
    }
    void Started() const {
        if (started) {
            started();
        }
    }
};

}  // namespace orvane
