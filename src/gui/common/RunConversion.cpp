#include "common/RunConversion.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <exception>
#include <string>

#include "common/Dialogs.h"
#include "common/ErrorTexts.h"
#include "common/WaitCursor.h"

namespace orvane {

namespace {

// The information lines of a conversion, added to the box in pieces: a table with many rows
// left out is reported without adding each line to the box on its own.
class InfoLines {
  public:
    explicit InfoLines(QPlainTextEdit* memo) : memo_(memo) {}
    ~InfoLines() { Flush(); }
    InfoLines(const InfoLines&) = delete;
    InfoLines& operator=(const InfoLines&) = delete;

    void Add(std::string_view line) {
        if (!pending_.empty()) {
            pending_ += '\n';
        }
        pending_ += line;
        if (pending_.size() >= kPieceBytes) {
            Flush();
        }
    }

    void Flush() {
        if (memo_ == nullptr || pending_.empty()) {
            return;
        }
        memo_->appendPlainText(
            QString::fromUtf8(pending_.data(), static_cast<int>(pending_.size())));
        pending_.clear();
    }

  private:
    static constexpr size_t kPieceBytes = 1 << 16;
    QPlainTextEdit* memo_;
    std::string pending_;
};

// Sets the progress bar back to 0 when a conversion ends, also when it stops with an error.
class ProgressReset {
  public:
    explicit ProgressReset(QProgressBar* bar) : bar_(bar) {}
    ~ProgressReset() {
        if (bar_ != nullptr) {
            bar_->setValue(0);
        }
    }
    ProgressReset(const ProgressReset&) = delete;
    ProgressReset& operator=(const ProgressReset&) = delete;

  private:
    QProgressBar* bar_;
};

}  // namespace

bool ReportErrors(QWidget* window, Dialogs& dialogs, const std::function<void()>& work) {
    try {
        work();
        return true;
    } catch (const std::exception& error) {
        dialogs.ErrorBox(window, DesktopErrorText(error));
    } catch (...) {
        // Something that is no error object is reported with an empty message.
        dialogs.ErrorBox(window, {});
    }
    return false;
}

std::optional<ConversionSummary> RunConversion(
    QWidget* window, Dialogs& dialogs, const ConversionView& view,
    const std::function<ConversionSummary(const ConversionObserver&)>& convert) {
    std::optional<ConversionSummary> summary;
    ReportErrors(window, dialogs, [&] {
        const ProgressReset reset(view.progress);
        InfoLines info(view.info);
        ConversionObserver observer;
        observer.info = [&info](std::string_view line) { info.Add(line); };
        if (view.progress != nullptr) {
            observer.progress = [bar = view.progress](int percent) { bar->setValue(percent); };
        }
        if (view.info != nullptr && view.clearInfoOnStart) {
            observer.started = [memo = view.info] { memo->clear(); };
        }
        const WaitCursor wait;
        summary = convert(observer);
    });
    return summary;
}

}  // namespace orvane
