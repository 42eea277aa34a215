#pragma once

// Work started from a window's control runs through these, so that every error is shown in
// the general error box where it is raised and none leaves an event handler.

#include <QAbstractButton>
#include <QAction>
#include <QWidget>
#include <functional>
#include <optional>
#include <type_traits>

#include "conversions/Conversion.h"

class QPlainTextEdit;
class QProgressBar;

namespace orvane {

class Dialogs;

// Runs `work`; an error it raises is shown in the general error box. Returns whether it
// ended without error.
bool ReportErrors(QWidget* window, Dialogs& dialogs, const std::function<void()>& work);

// `handler` of `window` as the receiver of a signal: an error it raises is shown in the
// general error box instead of leaving the event handler.
template <typename Window, typename... Args>
auto Guarded(Window* window, Dialogs& dialogs, void (Window::*handler)(Args...)) {
    return [window, &dialogs, handler](Args... args) {
        QWidget* parent = nullptr;
        if constexpr (std::is_base_of_v<QWidget, Window>) {
            parent = window;
        }
        ReportErrors(parent, dialogs, [&] { (window->*handler)(args...); });
    };
}

// Runs `handler` of `window` through the guard each time `sender` is clicked (a button) or
// triggered (an action).
template <typename Sender, typename Window>
void OnClick(Sender* sender, Window* window, Dialogs& dialogs, void (Window::*handler)()) {
    if constexpr (std::is_base_of_v<QAction, Sender>) {
        QObject::connect(sender, &QAction::triggered, window, Guarded(window, dialogs, handler));
    } else {
        QObject::connect(sender, &QAbstractButton::clicked, window,
                         Guarded(window, dialogs, handler));
    }
}

// Where a window's conversion reports; a window without a progress bar or information box
// leaves it out.
struct ConversionView {
    QProgressBar* progress = nullptr;  // 0 to 100 while it runs, back to 0 at the end
    QPlainTextEdit* info = nullptr;
    // The box is emptied when the conversion starts, so that inputs refused before then leave
    // what it showed.
    bool clearInfoOnStart = false;
};

// Runs one conversion of a window under the wait cursor, its progress and information lines
// shown in `view`. An error is shown once the cursor is back and the bar at 0. Returns the
// conversion's summary, or nothing when it stopped with an error.
std::optional<ConversionSummary> RunConversion(
    QWidget* window, Dialogs& dialogs, const ConversionView& view,
    const std::function<ConversionSummary(const ConversionObserver&)>& convert);

}  // namespace orvane
