#pragma once

#include <QDialog>

class QCheckBox;
class QComboBox;
class QPushButton;
class QSpinBox;

namespace orvane {

class DesktopSettings;

// The system parameters dialog: the drive-test path break distance in metres and the KML
// layout, both shown from the desktop's settings when it opens and taken into them only
// when OK is pressed.
class TFrmSysOptions : public QDialog {
    Q_OBJECT
  public:
    TFrmSysOptions(DesktopSettings& settings, QWidget* parent);

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QSpinBox* CSpinEdit1;
    QCheckBox* CBoxStandardKml;
    QComboBox* CBoxDigits;
    QPushButton* BtnOK;
    QPushButton* BtnCancel;

    void ShowSettings();

    DesktopSettings& settings_;
};

}  // namespace orvane
