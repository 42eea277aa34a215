#include "common/Dialogs.h"
#include "common/Named.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QCoreApplication>
#include <QFileDialog>
#include <QGridLayout>
#include <QMessageBox>
#include <QStringList>

namespace orvane {

namespace {
QString CaptionOr(const QString& caption) {
    return caption.isEmpty() ? QCoreApplication::applicationName() : caption;
}

QFileDialog::Options OptionsOf(const FileDialogOptions& options) {
    QFileDialog::Options result;
    if (!options.promptOverwrite) {
        result |= QFileDialog::DontConfirmOverwrite;
    }
    return result;
}

QString StartPath(const FileDialogOptions& options) {
    QString directory = options.directory;
    if (options.fileName.isEmpty()) {
        return directory;
    }
    return directory.isEmpty() ? options.fileName : directory + '/' + options.fileName;
}

std::optional<QString> Chosen(const QString& path) {
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return path;
}
}  // namespace

FileDialogOptions KmlFileDialog() {
    return {.filter = QStringLiteral("Keyhole Markup Language(*.KML)|*.KML|KMZ(*.KMZ)|*.KMZ"),
            .defaultSuffix = QStringLiteral("KML")};
}

QString QtNameFilter(const QString& filter) {
    const QStringList parts = filter.split('|');
    QStringList names;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        const QString patterns = QString(parts[i + 1]).replace(';', ' ');
        // A name that already ends with its patterns, "Mapinfo Mif File(*.MIF)", is shown
        // once; Qt reads the patterns from its last parentheses.
        const bool namesPatterns = parts[i].endsWith('(' + patterns + ')');
        names << (namesPatterns ? parts[i] : parts[i] + " (" + patterns + ")");
    }
    return names.join(";;");
}

void DesktopDialogs::Message(QWidget* parent, const QString& text, const QString& caption) {
    QMessageBox::information(parent, CaptionOr(caption), text);
}

void DesktopDialogs::ErrorBox(QWidget* parent, const QString& text) {
    QMessageBox::critical(parent, CaptionOr({}), text);
}

bool DesktopDialogs::Question(QWidget* parent, const QString& text, const QString& caption) {
    return QMessageBox::question(parent, CaptionOr(caption), text,
                                 QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

std::optional<QString> DesktopDialogs::OpenFile(QWidget* parent, const FileDialogOptions& options) {
    return Chosen(QFileDialog::getOpenFileName(parent, options.title, StartPath(options),
                                               QtNameFilter(options.filter), nullptr,
                                               OptionsOf(options)));
}

std::optional<QString> DesktopDialogs::SaveFile(QWidget* parent, const FileDialogOptions& options) {
    QFileDialog dialog(parent, options.title, StartPath(options), QtNameFilter(options.filter));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOptions(OptionsOf(options));
    dialog.setDefaultSuffix(options.defaultSuffix);
    // A name typed without extension takes the one of the chosen filter: "a" is "a.KMZ" when
    // the KMZ filter is chosen. A proposed name chooses its own filter.
    const auto suffixOf = [](const QString& nameFilter) {
        const int star = nameFilter.lastIndexOf("*.");
        return star < 0 ? QString() : nameFilter.mid(star + 2).remove(')').section(' ', 0, 0);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&](const QString& chosen) {
        if (const QString suffix = suffixOf(chosen); !suffix.isEmpty()) {
            dialog.setDefaultSuffix(suffix);
        }
    });
    for (const QString& nameFilter : dialog.nameFilters()) {
        if (options.fileName.endsWith('.' + suffixOf(nameFilter), Qt::CaseInsensitive)) {
            dialog.selectNameFilter(nameFilter);
            dialog.setDefaultSuffix(suffixOf(nameFilter));
        }
    }
    QCheckBox* checkBox = nullptr;
    if (!options.checkBox.isEmpty() && options.checked != nullptr) {
        // The platform's own dialog takes no widgets of the program.
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        checkBox = Named<QCheckBox>("FileDialogCheckBox", options.checkBox, &dialog);
        checkBox->setChecked(*options.checked);
        if (auto* grid = qobject_cast<QGridLayout*>(dialog.layout())) {
            grid->addWidget(checkBox, grid->rowCount(), 0, 1, -1);
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    if (checkBox != nullptr) {
        *options.checked = checkBox->isChecked();
    }
    return Chosen(dialog.selectedFiles().first());
}

std::optional<QColor> DesktopDialogs::Colour(QWidget* parent, const QColor& initial) {
    const QColor colour = QColorDialog::getColor(initial, parent);
    if (!colour.isValid()) {
        return std::nullopt;
    }
    return colour;
}

}  // namespace orvane
