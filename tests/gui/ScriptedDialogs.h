#pragma once

// A Dialogs double for window tests: answers come from queues filled by the test, and every
// message, error and question is recorded.

#include <QStringList>
#include <deque>

#include "common/Dialogs.h"

namespace orvane::test {

class ScriptedDialogs : public Dialogs {
  public:
    QStringList messages;                          // texts of Message boxes, in order
    QStringList errors;                            // texts of Error boxes
    QStringList questions;                         // texts of questions asked
    std::deque<bool> answers;                      // for Question; No when empty
    std::deque<std::optional<QString>> openPaths;  // for OpenFile; cancel when empty
    std::deque<std::optional<QString>> savePaths;  // for SaveFile; cancel when empty
    std::deque<std::optional<QColor>> colours;     // for Colour; cancel when empty
    std::deque<bool> checkBoxes;           // a save dialog's check box; as it was when empty
    QList<FileDialogOptions> fileDialogs;  // options of every file dialog opened

    void Message(QWidget*, const QString& text, const QString& = {}) override { messages << text; }
    void ErrorBox(QWidget*, const QString& text) override { errors << text; }
    bool Question(QWidget*, const QString& text, const QString&) override {
        questions << text;
        return Take(answers).value_or(false);
    }
    std::optional<QString> OpenFile(QWidget*, const FileDialogOptions& options) override {
        fileDialogs << options;
        return Take(openPaths).value_or(std::nullopt);
    }
    std::optional<QString> SaveFile(QWidget*, const FileDialogOptions& options) override {
        fileDialogs << options;
        std::optional<QString> path = Take(savePaths).value_or(std::nullopt);
        if (const std::optional<bool> ticked = Take(checkBoxes);
            ticked && path && options.checked) {
            *options.checked = *ticked;
        }
        return path;
    }
    std::optional<QColor> Colour(QWidget*, const QColor&) override {
        return Take(colours).value_or(std::nullopt);
    }

  private:
    template <typename T>
    static std::optional<T> Take(std::deque<T>& queue) {
        if (queue.empty()) {
            return std::nullopt;
        }
        T value = std::move(queue.front());
        queue.pop_front();
        return value;
    }
};

}  // namespace orvane::test
