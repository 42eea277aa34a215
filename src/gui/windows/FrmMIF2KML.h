#pragma once

// The window that converts the regions of a MapInfo MIF file into a KML file.

#include <QDialog>
#include <QString>

#include "common/Dialogs.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orvane {

class DesktopHost;

class TFrmMIF2KML : public QDialog {
    Q_OBJECT
  public:
    TFrmMIF2KML(DesktopHost& host, Dialogs& dialogs, QWidget* parent);

    // The paths chosen in the dialogs; the conversion uses these.
    QString MifFileName;
    QString KmlFileName;

    // Takes the file as the MIF file to convert, as if it had been chosen in the file dialog.
    void OpenInputFile(const QString& path);

    void SpeedButton3Click();
    void SpeedButton4Click();
    void Button1Click();
    void Button2Click();

    // The MIF's columns; the chosen one names the regions (standard layout only).

  private:
    QLineEdit* LabeledEdit1;
    QToolButton* SpeedButton3;
    QLineEdit* LabeledEdit2;
    QToolButton* SpeedButton4;
    QPushButton* Button1;
    QPushButton* Button2;
    QComboBox* CBoxNameColumn;

    void ShowColumns();

    DesktopHost& host_;
    Dialogs& dialogs_;
};

}  // namespace orvane
