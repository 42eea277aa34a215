#pragma once

#include <QDialog>

class QPushButton;
class QSpinBox;

namespace orvane {

// The system parameters dialog: the drive-test path break distance in metres.
class TFrmSysOptions : public QDialog {
    Q_OBJECT
  public:
    explicit TFrmSysOptions(QWidget* parent);

    QSpinBox* CSpinEdit1;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;
};

}  // namespace orvane
