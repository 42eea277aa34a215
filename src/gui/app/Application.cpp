#include "app/Application.h"

#include <exception>

#include "app/ProductInfo.h"

namespace orvane {

OrvaneApplication::OrvaneApplication(int& argc, char** argv, Dialogs& dialogs)
    : QApplication(argc, argv), dialogs_(dialogs) {
    setApplicationName(kProductTitle);
    // The desktop matches the windows to the menu entry orvane.desktop and its icon by this.
    setDesktopFileName(QStringLiteral("orvane"));
}

bool OrvaneApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        dialogs_.ErrorBox(activeWindow(), QString::fromUtf8(error.what()));
    } catch (...) {
        // Something that is no error object is reported with an empty message.
        dialogs_.ErrorBox(activeWindow(), {});
    }
    return false;
}

}  // namespace orvane
