// Track playback in the main window: the "GPS轨迹回放" menu loads a drive-test log and its
// KML file through the playback dialog; the controls of "回放控制" and Timer1 move the view
// from one logged position to the next while the grid shows the values of the line played.
//
// The controller keeps the state: Stopped (timer off, "暂停" and "结束" disabled), Playing
// (timer on, "暂停") and Paused (timer off, "继续"). "开始" leads from any state to Playing
// at the first data line.

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTableWidget>
#include <exception>

#include "app/Mainform.h"
#include "common/RunConversion.h"
#include "common/WaitCursor.h"
#include "windows/FrmGPS.h"

namespace orvane {

namespace {

const QString kPause = QStringLiteral("暂停");
const QString kResume = QStringLiteral("继续");
constexpr double kPlaybackRange = 1000.0;
constexpr double kCameraSpeed = 5.0;
constexpr int kMillisecondsPerSpeedStep = 100;

QString Reason(TrackPositionFault fault, const QStringList& fields,
               const PlaybackColumns& columns) {
    switch (fault) {
        case TrackPositionFault::NoLongitudeField:
            return QStringLiteral("没有经度字段");
        case TrackPositionFault::NoLatitudeField:
            return QStringLiteral("没有纬度字段");
        case TrackPositionFault::LongitudeNotNumber:
            return QStringLiteral("经度“%1”不是数字").arg(fields.value(columns.longitude));
        case TrackPositionFault::LatitudeNotNumber:
            return QStringLiteral("纬度“%1”不是数字").arg(fields.value(columns.latitude));
        case TrackPositionFault::None:
            break;
    }
    return {};
}

void SetCell(QTableWidget& grid, int row, int column, const QString& text) {
    if (QTableWidgetItem* item = grid.item(row, column)) {
        item->setText(text);
    } else {
        grid.setItem(row, column, new QTableWidgetItem(text));
    }
}

}  // namespace

void TFrmMain::ConnectPlaybackControls() {
    OnClick(GPS1, this, dialogs_, &TFrmMain::GPS1Click);
    OnClick(BtnStart, this, dialogs_, &TFrmMain::BtnStartClick);
    OnClick(BtnPause, this, dialogs_, &TFrmMain::BtnPauseClick);
    OnClick(BtnEnd, this, dialogs_, &TFrmMain::BtnEndClick);
    connect(TrackBar1, &QSlider::valueChanged, this,
            Guarded(this, dialogs_, &TFrmMain::TrackBar1Change));
    connect(&Timer1, &QTimer::timeout, this, Guarded(this, dialogs_, &TFrmMain::Timer1Timer));
}

void TFrmMain::GPS1Click() {
    if (!IsGoogleEarthRunning()) {
        dialogs_.Message(this, QStringLiteral("请先启动或加载GoogleEarth!"));
        return;
    }
    TFrmGPS* gps = windows_.FrmGPS;
    if (gps == nullptr || gps->exec() != QDialog::Accepted) {
        return;
    }
    const PlaybackChoice& choice = gps->Choice();
    // A log that cannot be read stops here: the lines played so far stay.
    const auto load = [this, &choice] {
        AppGE0_->OpenKmlFile(choice.kmlPath, 1);
        const WaitCursor wait;
        playback_.Load(ReadTextLines(QFile::encodeName(choice.logPath).toStdString()),
                       choice.columns);
    };
    if (!ReportErrors(this, dialogs_, load)) {
        return;
    }
    // A playback under way goes on with the new lines; its grid names their fields.
    if (playback_.CurrentState() != PlaybackController::State::Stopped) {
        ShowPlaybackNames();
    }
    PlaybackCamera = AppGE0_->GetCamera(1);
    PlaybackCamera->Range = kPlaybackRange;
}

void TFrmMain::BtnStartClick() {
    if (!IsGoogleEarthRunning() || !playback_.HasLines()) {
        dialogs_.Message(this, QStringLiteral("GE进程未启动或无回放数据!"));
        return;
    }
    playback_.Start();
    ShowPlaybackState();
    StatusPane->clear();
    ShowPlaybackNames();
}

void TFrmMain::ShowPlaybackState() {
    const PlaybackController::State state = playback_.CurrentState();
    const bool stopped = state == PlaybackController::State::Stopped;
    BtnPause->setEnabled(!stopped);
    BtnEnd->setEnabled(!stopped);
    // Stopped, the pause button keeps its last caption.
    if (!stopped) {
        BtnPause->setText(state == PlaybackController::State::Paused ? kResume : kPause);
    }
    if (state == PlaybackController::State::Playing) {
        Timer1.start();
    } else {
        Timer1.stop();
    }
}

void TFrmMain::ShowPlaybackNames() {
    const QStringList names = playback_.FieldNames();
    StringGrid1->setRowCount(names.size());
    for (int row = 0; row < names.size(); ++row) {
        SetCell(*StringGrid1, row, 0, names[row]);
        SetCell(*StringGrid1, row, 1, {});
    }
}

void TFrmMain::ShowPlaybackValues() {
    // Rows beyond the line's last field are emptied, not left with the previous line's values.
    for (int row = 0; row < StringGrid1->rowCount(); ++row) {
        SetCell(*StringGrid1, row, 1, playback_.Fields().value(row));
    }
}

void TFrmMain::Timer1Timer() {
    try {
        if (AppGE0_->IsInitialized() == 0 || !playback_.HasLines()) {
            return;
        }
    } catch (const std::exception& error) {
        ReportPlaybackFault(QStringLiteral("回放出错：%1").arg(QString::fromUtf8(error.what())));
        return;
    }
    PlayLine(playback_.Step());
}

void TFrmMain::PlayLine(const PlayedLine& played) {
    ShowPlaybackValues();
    if (!played.position.Playable()) {
        ReportUnplayableLine(played.line,
                             Reason(played.position.fault, played.fields, playback_.Columns()));
        return;
    }
    try {
        if (!PlaybackCamera) {
            PlaybackCamera = AppGE0_->GetCamera(1);
        }
        ICameraInfoGE& camera = *PlaybackCamera;
        camera.FocusPointLongitude = played.position.longitude;
        camera.FocusPointLatitude = played.position.latitude;
        AppGE0_->SetCameraParams(camera.FocusPointLatitude, camera.FocusPointLongitude,
                                 camera.FocusPointAltitude, camera.FocusPointAltitudeMode,
                                 camera.Range, camera.Tilt, camera.Azimuth, kCameraSpeed);
        DrawViewCross();
    } catch (const std::exception& error) {
        ReportUnplayableLine(played.line, QString::fromUtf8(error.what()));
    }
}

void TFrmMain::ReportUnplayableLine(int line, const QString& reason) {
    // Lines are counted in the file as an editor shows it: the field names are line 1.
    ReportPlaybackFault(
        QStringLiteral("回放跳过第%1行：%2。其后无法回放的行也将跳过。").arg(line + 1).arg(reason));
}

void TFrmMain::ReportPlaybackFault(const QString& text) {
    if (playback_.FirstFault()) {
        StatusPane->setText(text);
    }
}

void TFrmMain::DrawViewCross() {
    // The embedded map fills Panel01, so the centre of the map is the centre of the panel.
    viewCross_.Draw(AppGE0_->GetRenderHwnd());
}

void TFrmMain::BtnPauseClick() {
    if (playback_.CurrentState() == PlaybackController::State::Paused) {
        // Zoom, tilt and heading changed during the pause carry over.
        PlaybackCamera = AppGE0_->GetCamera(1);
        playback_.Resume();
    } else {
        playback_.Pause();
    }
    ShowPlaybackState();
}

void TFrmMain::BtnEndClick() {
    playback_.Stop();
    ShowPlaybackState();
    viewCross_.Hide();
}

void TFrmMain::TrackBar1Change() {
    Timer1.setInterval(TrackBar1->value() * kMillisecondsPerSpeedStep);
}

}  // namespace orvane
