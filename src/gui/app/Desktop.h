#pragma once

// The program's windows. Each is created once, in a fixed order, lives as long as the
// desktop and is only shown and hidden, so what the user entered stays for the whole run.

#include <QString>
#include <QStringList>
#include <memory>

#include "common/DesktopSettings.h"
#include "common/Dialogs.h"
#include "earth/ApplicationGE.h"

namespace orvane {

class TAboutBox;
class TFrmBS;
class TFrmColorCfg;
class TFrmCQT;
class TFrmDT;
class TFrmGPS;
class TFrmMain;
class TFrmMIF2KML;
class TFrmPoint;
class TFrmSysOptions;
struct InputFileWindows;

class Desktop {
  public:
    // colourFilePath: where the colour schemes are kept; empty for ColCfg.col in its usual
    // place.
    Desktop(Dialogs& dialogs, const GlobeConnector& connectGlobe,
            const QString& colourFilePath = {});
    ~Desktop();
    Desktop(const Desktop&) = delete;
    Desktop& operator=(const Desktop&) = delete;

    TFrmMain& FrmMain() const { return *FrmMain_; }
    TAboutBox& AboutBox() const { return *AboutBox_; }
    TFrmGPS& FrmGPS() const { return *FrmGPS_; }
    TFrmColorCfg& FrmColorCfg() const { return *FrmColorCfg_; }
    TFrmSysOptions& FrmSysOptions() const { return *FrmSysOptions_; }
    TFrmMIF2KML& FrmMIF2KML() const { return *FrmMIF2KML_; }
    TFrmBS& FrmBS() const { return *FrmBS_; }
    TFrmCQT& FrmCQT() const { return *FrmCQT_; }
    TFrmDT& FrmDT() const { return *FrmDT_; }
    TFrmPoint& FrmPoint() const { return *FrmPoint_; }

    // The settings the windows read; the system parameters dialog changes them.
    DesktopSettings& Settings() { return settings_; }

    // The windows that take input files handed over from outside the program.
    InputFileWindows InputWindows() const;

    // The object names of the windows in the order they were created.
    const QStringList& CreationOrder() const { return creationOrder_; }

  private:
    class Host;

    template <typename Window>
    Window& Created(std::unique_ptr<Window>& slot, std::unique_ptr<Window> window);

    QStringList creationOrder_;
    DesktopSettings settings_;
    // Outlives the windows that hold it.
    std::unique_ptr<Host> host_;
    // Declared in creation order, so that they are destroyed in reverse: the windows that
    // the main window owns as their parent go before it.
    std::unique_ptr<TFrmMain> FrmMain_;
    std::unique_ptr<TAboutBox> AboutBox_;
    std::unique_ptr<TFrmGPS> FrmGPS_;
    std::unique_ptr<TFrmColorCfg> FrmColorCfg_;
    std::unique_ptr<TFrmSysOptions> FrmSysOptions_;
    std::unique_ptr<TFrmMIF2KML> FrmMIF2KML_;
    std::unique_ptr<TFrmBS> FrmBS_;
    std::unique_ptr<TFrmCQT> FrmCQT_;
    std::unique_ptr<TFrmDT> FrmDT_;
    std::unique_ptr<TFrmPoint> FrmPoint_;
};

}  // namespace orvane
