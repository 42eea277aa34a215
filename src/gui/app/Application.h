#pragma once

#include <QApplication>

#include "app/Dialogs.h"

namespace orvane {

// The application object. Every event passes through notify, which is the one place where
// an error that escapes an event handler is caught: the general error box shows its
// message and the event loop goes on.
class OrvaneApplication : public QApplication {
    Q_OBJECT
  public:
    OrvaneApplication(int& argc, char** argv, Dialogs& dialogs);
    bool notify(QObject* receiver, QEvent* event) override;
    Dialogs& dialogs() const { return dialogs_; }

  private:
    Dialogs& dialogs_;
};

}  // namespace orvane
