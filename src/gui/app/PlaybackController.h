#pragma once

// The course of a track playback: the log's lines, the line it is at, and whether it is
// stopped, playing or paused. The main window shows the state in its controls and plays the
// lines at its timer's pace.

#include <QStringList>

#include "common/TextFile.h"
#include "conversions/TrackPlayback.h"

namespace orvane {

// One data line as playback reads it.
struct PlayedLine {
    int line = 0;        // counted from the field names, line 0
    QStringList fields;  // its values
    TrackPosition position;
};

class PlaybackController {
  public:
    enum class State { Stopped, Playing, Paused };

    State CurrentState() const { return state_; }
    // A playback under way goes on with newly loaded lines.
    void Load(TextLines lines, PlaybackColumns columns);
    // The field names and at least one data line.
    bool HasLines() const { return lines_.size() >= 2; }

    // From any state to playing, before the first data line.
    void Start();
    void Pause();
    void Resume();
    void Stop();

    // Reads the next data line, the first again after the last; only with HasLines().
    PlayedLine Step();

    // A line that cannot be played is reported once per playback: true the first time.
    bool FirstFault();

    QStringList FieldNames() const;
    // The next line Step reads, 0 before the first.
    int Position() const { return position_; }
    const TextLines& Lines() const { return lines_; }
    const PlaybackColumns& Columns() const { return columns_; }
    // The values of the line played last.
    const QStringList& Fields() const { return fields_; }

  private:
    State state_ = State::Stopped;
    TextLines lines_;
    PlaybackColumns columns_;
    int position_ = 0;
    QStringList fields_;
    bool faultReported_ = false;
};

}  // namespace orvane
