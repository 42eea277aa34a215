#pragma once

// The playback dialog: the user picks a drive-test log, the KML file made from it and the
// log's position fields. The main window then plays the log (see MainformPlayback.cpp).

#include <QDialog>
#include <QString>

#include "common/Dialogs.h"
#include "conversions/TrackPlayback.h"

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace orvane {

// What the playback dialog hands to playback when it closes with OK.
struct PlaybackChoice {
    QString logPath;
    QString kmlPath;
    PlaybackColumns columns;
};

class TFrmGPS : public QDialog {
    Q_OBJECT
  public:
    TFrmGPS(Dialogs& dialogs, QWidget* parent);

    // The files and position fields as the dialog last closed with OK.
    const PlaybackChoice& Choice() const { return choice_; }

    void SpeedButton3Click();
    void SpeedButton1Click();
    void Button3Click();
    void Button1Click();

    void done(int result) override;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QLabel* Label1;
    QLineEdit* EdtDtFName;
    QToolButton* SpeedButton3;
    QLabel* Label2;
    QLineEdit* EdtKmlFName;
    QToolButton* SpeedButton1;
    QGroupBox* GroupBox1;
    QLabel* Label3;
    QComboBox* CBox_Long;
    QLabel* Label4;
    QComboBox* CBox_Lat;
    QPushButton* Button3;
    QPushButton* Button1;

    QWidget* CreateFileRows();
    QGroupBox* CreateColumnGroup();

    Dialogs& dialogs_;
    PlaybackChoice choice_;
    // The columns proposed by the field names. Only OK hands them to playback: a dialog
    // left with "取消" leaves playback reading the columns it read, and proposes from them
    // again next time.
    PlaybackColumns detected_;
};

}  // namespace orvane
