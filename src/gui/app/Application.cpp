#include "app/Application.h"

#include <QLibraryInfo>
#include <exception>

#include "app/Icons.h"
#include "common/ErrorTexts.h"
#include "common/ProductInfo.h"

namespace orvane {

OrvaneApplication::OrvaneApplication(int& argc, char** argv, Dialogs& dialogs)
    : QApplication(argc, argv), dialogs_(dialogs) {
    setApplicationName(kProductTitle);
    setWindowIcon(ProgramIcon());
    // The desktop matches the windows to the menu entry orvane.desktop and its icon by this.
    setDesktopFileName(QStringLiteral("orvane"));
    // From Debian's qttranslations5-l10n; without it Qt speaks English, nothing else changes.
    if (qtTexts_.load(QStringLiteral("qtbase_zh_CN"),
                      QLibraryInfo::location(QLibraryInfo::TranslationsPath))) {
        installTranslator(&qtTexts_);
    }
}

bool OrvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        dialogs_.ErrorBox(activeWindow(), DesktopErrorText(error));
    } catch (...) {
        // Something that is no error object is reported with an empty message.
        dialogs_.ErrorBox(activeWindow(), {});
    }
    return false;
}

}  // namespace orvane
