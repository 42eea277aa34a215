#pragma once

// The main window: the function tree that opens the converter windows, the playback
// controls, the list of loadable KML files, and the view panel that hosts the globe's map.

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <optional>

#include "app/PlaybackController.h"
#include "common/Dialogs.h"
#include "common/TextFile.h"
#include "earth/ApplicationGE.h"
#include "earth/ViewCross.h"

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class QSlider;
class QSplitter;
class QTableWidget;
class QToolBox;
class QTreeWidget;

namespace orvane {

class LoadableFileList;
class MarqueeLabel;
class TimeSlider;
class TAboutBox;
class TFrmGPS;
class TFrmSysOptions;

class TFrmMain : public QMainWindow {
    Q_OBJECT
  public:
    // The windows the main window opens. Start-up fills in those that exist; a window that
    // is not there yet leaves its tree entry and menu item telling the user so.
    struct AppWindows {
        TAboutBox* AboutBox = nullptr;
        TFrmGPS* FrmGPS = nullptr;
        TFrmSysOptions* FrmSysOptions = nullptr;
        QDialog* FrmMIF2KML = nullptr;
        QWidget* FrmBS = nullptr;
        QWidget* FrmCQT = nullptr;
        QWidget* FrmDT = nullptr;
        QWidget* FrmPoint = nullptr;
    };

    TFrmMain(Dialogs& dialogs, std::unique_ptr<TApplicationGE> appGE);
    ~TFrmMain() override;

    void AttachWindows(const AppWindows& windows);

    // Operations the converter windows use.
    TApplicationGE& AppGE0() { return *AppGE0_; }
    void EmbedGoogleEarth();
    // Opens a KML file given from outside: listed under "可加载文件" and shown on the globe;
    // a file the globe cannot open leaves the list as it was.
    void OpenLoadableFile(const QString& path);
    void AddLoadableFile(const QString& path);
    // Shows an existing KML file on the globe, embedding the globe first when it is not
    // ready; a path with no file does nothing.
    void OpenOnGlobe(const QString& path);
    bool IsGoogleEarthRunning() const;
    // Centres the globe on a point, embedding it first when it is not ready; the view closes
    // in to a few kilometres when it is farther out, and keeps its tilt and heading.
    void FlyTo(double longitude, double latitude);
    // The check boxes and context menu of "可加载文件".
    LoadableFileList& LoadableFiles() { return *loadableFiles_; }

    // Hands the map back to the globe window and asks whether the globe closes too. The
    // start-up calls it once the main window has closed.
    void FormDestroy();

    // Handlers, named after their controls.
    void TreeView1Click();
    void TreeView2DblClick();
    void Button1Click();
    void Button2Click();
    void Panel01Resize();
    void N4Click();
    void N7Click();
    void N3Click();
    void MapinfoMifKML1Click();
    // Saves the view as a flat north-up bitmap with its MapInfo .TAB and world file.
    void N9Click();

    // Track playback (MainformPlayback.cpp).
    void GPS1Click();
    void BtnStartClick();
    void Timer1Timer();
    void BtnPauseClick();
    void BtnEndClick();
    void TrackBar1Change();
    void DrawViewCross();

    QTimer Timer1;

    // The globe's windows as the last embedding found them.
    QPointer<QWidget> GeMainWindow;
    QPointer<QWidget> GeRenderWindow;
    QPointer<QWidget> GeRenderParent;

    // Track playback: where it is, and the view it moves.
    const PlaybackController& Playback() const { return playback_; }
    std::optional<ICameraInfoGE> PlaybackCamera;

  signals:
    void Closed();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Controls.
    QToolBox* GroupBar;
    QTreeWidget* TreeView1;
    QTreeWidget* TreeView2;
    QPushButton* BtnStart;
    QPushButton* BtnPause;
    QPushButton* BtnEnd;
    QSlider* TrackBar1;
    QTableWidget* StringGrid1;
    QPushButton* Button1;
    QPushButton* Button2;
    QWidget* Panel01;
    MarqueeLabel* MarqueePane;
    QLabel* StatusPane;
    QAction* N9;
    QAction* N4;
    QAction* GPS1;
    QAction* MapinfoMifKML1;
    QAction* N7;
    QAction* N3;
    QMenu* ViewMenu;

    void FormCreate();
    void CreateMenus();
    QWidget* CreateFunctionTree();
    QWidget* CreatePlaybackGroup();
    QWidget* CreateLeftColumn();
    void CreateStatusBar();
    void FillMapThemeMenu();
    void AddProjectionItems();
    QWidget* ConverterWindowFor(const QString& caption) const;
    void MarkMissingConverterWindows();
    bool IsEmbedded() const;
    void GiveRenderWindowBack();
    // Where the globe window shows when popped out: where the user last had it, at first
    // where the map was.
    QRect GlobeWindowPlace() const;
    void ConnectPlaybackControls();
    void ShowPlaybackNames();
    void ShowPlaybackValues();
    void ShowPlaybackState();
    void PlayLine(const PlayedLine& played);
    void ReportUnplayableLine(int line, const QString& reason);
    void ReportPlaybackFault(const QString& text);
    // The globe's tools ("工具" menu and the tool bar): the ruler and "定位…".
    void CreateGlobeTools(QMenu& tools);
    void RulerToggled(bool on);
    void GoToClick();
    void ShowPlacemark(const PlacemarkMatch& match);
    void EnsureGlobeShown();

    Dialogs& dialogs_;
    std::unique_ptr<TApplicationGE> AppGE0_;
    AppWindows windows_;
    std::optional<QRect> globeWindowPlace_;
    PlaybackController playback_;
    ViewCross viewCross_;
    TimeSlider* timeSlider_ = nullptr;
    QAction* rulerAction_ = nullptr;
    QPointer<QDialog> goTo_;
    // The export's choice to keep the scale bar on the picture, for the session.
    bool keepScaleBar_ = false;
    // Declared last: it stops listening to the globe before the globe connection goes.
    std::unique_ptr<LoadableFileList> loadableFiles_;
};

}  // namespace orvane
