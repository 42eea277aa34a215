#pragma once

#include <QDialog>

class QCheckBox;
class QPushButton;
class QSpinBox;

namespace orvane {

// The system parameters dialog: the drive-test path break distance in metres, and the KML
// layout, which the dialog itself keeps in the program's settings when OK is pressed.
class TFrmSysOptions : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmSysOptions(QWidget* parent);

    void done(int result) override;

    QSpinBox* CSpinEdit1;
    QCheckBox* CBoxStandardKml;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

}  // namespace orvane
