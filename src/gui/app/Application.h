#pragma once

#include <QApplication>
#include <QTranslator>

#include "common/Dialogs.h"

namespace orvane {

// The application object. Every event passes through notify, which is the one place where
// an error that escapes an event handler is caught: the general error box shows its
// message and the event loop goes on. Qt's own texts (file and colour dialogs, buttons) are
// in Chinese, as every text of the program is, on every locale; every window carries the
// program's icon.
class OrvaneApplication : public QApplication {
    Q_OBJECT
  public:
    OrvaneApplication(int& argc, char** argv, Dialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;
    Dialogs& dialogs() const { return dialogs_; }

  private:
    Dialogs& dialogs_;
    QTranslator qtTexts_;
};

}  // namespace orvane
