#pragma once

// The window that turns typed or pasted coordinates into a point, line or polygon KML file.

#include <QDialog>
#include <QStringList>
#include <array>

#include "common/Dialogs.h"
#include "conversions/Pt2kml.h"

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace orvane {

class DesktopHost;

class TFrmPoint : public QDialog {
    Q_OBJECT
  public:
    TFrmPoint(DesktopHost& host, Dialogs& dialogs, QWidget* parent);

    struct DemoPoint {
        double longitude;
        double latitude;
    };
    // They only fill the example box; they never enter a KML file.
    static constexpr std::array<DemoPoint, 4> DemoPoints = {{{113.068899, 25.745336},
                                                             {113.068899, 25.844481},
                                                             {112.978279, 25.844481},
                                                             {112.978279, 25.745336}}};

    CoordinateFormat SelectedFormat() const;
    // The lines of Memo1 in order, empty lines included, without the empty line after a
    // final line break.
    QStringList InputLines() const;

    void RadioGroup1Click();
    void Button2Click();
    void Button3Click();
    void Button4Click();
    void SpeedButton5Click();
    void SpeedButton8Click();
    void Button1Click();

  private:
    QGroupBox* RadioGroup1;
    QButtonGroup* RadioButtons;
    QPlainTextEdit* MemoDemo;
    QPlainTextEdit* Memo1;
    QPushButton* Button2;
    QPushButton* Button3;
    QPushButton* Button4;
    QLabel* Label2;
    QLineEdit* EdtFName0;
    QToolButton* SpeedButton5;
    QToolButton* SpeedButton8;
    QPlainTextEdit* Memo0;
    QPushButton* Button1;

    void WriteFile(PtGeometry geometry);
    QWidget* CreateFormatGroup();
    QWidget* CreateOutputRow();

    DesktopHost& host_;
    Dialogs& dialogs_;
};

}  // namespace orvane
