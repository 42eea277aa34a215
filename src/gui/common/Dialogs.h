#pragma once

// Every modal message and every file, colour and yes/no dialog of the windows goes through
// this interface, so that a test can script the answers and record the messages.

#include <QColor>
#include <QString>
#include <optional>

class QWidget;

namespace orvane {

struct FileDialogOptions {
    QString title{};   // empty: the platform's own title
    QString filter{};  // "Keyhole Markup Language(*.KML)|*.KML" style, as the windows name it
    QString defaultSuffix{};  // without the dot: "KML"
    QString directory{};      // where the dialog opens; empty: the current directory
    QString fileName{};       // proposed file name
    bool promptOverwrite = false;
    // A check box under the file names when its text is given: `*checked` sets it at opening
    // and receives it when a file is chosen.
    QString checkBox{};
    bool* checked = nullptr;
};

class Dialogs {
  public:
    virtual ~Dialogs() = default;
    // A plain message box with an OK button.
    virtual void Message(QWidget* parent, const QString& text, const QString& caption = {}) = 0;
    // The general error box for errors that stop an operation.
    virtual void ErrorBox(QWidget* parent, const QString& text) = 0;
    // A Yes/No question; true for Yes.
    virtual bool Question(QWidget* parent, const QString& text, const QString& caption) = 0;
    virtual std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) = 0;
    virtual std::optional<QColor> Colour(QWidget* parent, const QColor& initial) = 0;
};

// The real dialogs of the desktop.
class DesktopDialogs : public Dialogs {
  public:
    void Message(QWidget* parent, const QString& text, const QString& caption = {}) override;
    void ErrorBox(QWidget* parent, const QString& text) override;
    bool Question(QWidget* parent, const QString& text, const QString& caption) override;
    std::optional<QString> OpenFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QString> SaveFile(QWidget* parent, const FileDialogOptions& options) override;
    std::optional<QColor> Colour(QWidget* parent, const QColor& initial) override;
};

// The file dialog for a KML output: KML or KMZ, and the default extension.
FileDialogOptions KmlFileDialog();

// "Name(*.EXT)|*.EXT|..." pairs as a Qt name filter list: "Name(*.EXT)", the patterns added
// in parentheses to a name that does not end with them.
QString QtNameFilter(const QString& filter);

}  // namespace orvane
