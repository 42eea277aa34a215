#include "app/PlaybackController.h"

#include <string>
#include <vector>

#include "common/Kml_baseclass.h"
#include "common/Utf8Text.h"

namespace orvane {

void PlaybackController::Load(TextLines lines, PlaybackColumns columns) {
    lines_ = std::move(lines);
    columns_ = columns;
    faultReported_ = false;
}

void PlaybackController::Start() {
    state_ = State::Playing;
    position_ = 0;
    faultReported_ = false;
}

void PlaybackController::Pause() {
    if (state_ == State::Playing) {
        state_ = State::Paused;
    }
}

void PlaybackController::Resume() {
    if (state_ == State::Paused) {
        state_ = State::Playing;
    }
}

void PlaybackController::Stop() {
    state_ = State::Stopped;
}

PlayedLine PlaybackController::Step() {
    const int last = static_cast<int>(lines_.size()) - 1;
    if (position_ == 0 || position_ > last) {
        position_ = 1;
    }
    PlayedLine played;
    played.line = position_++;
    std::vector<std::string> fields;
    SplitTabFields(lines_[static_cast<size_t>(played.line)], fields);
    played.position = ReadTrackPosition(fields, columns_);
    fields_ = FromUtf8(fields);
    played.fields = fields_;
    return played;
}

bool PlaybackController::FirstFault() {
    const bool first = !faultReported_;
    faultReported_ = true;
    return first;
}

QStringList PlaybackController::FieldNames() const {
    std::vector<std::string> names;
    if (!lines_.empty()) {
        SplitTabFields(lines_[0], names);
    }
    return FromUtf8(names);
}

}  // namespace orvane
