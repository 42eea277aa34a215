#include "app/Desktop.h"

#include <QFileInfo>
#include <algorithm>

#include "app/AboutBox.h"
#include "app/InputFiles.h"
#include "app/Mainform.h"
#include "app/Sysoptions.h"
#include "common/DesktopHost.h"
#include "legend/Colcfg.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmColorCfg.h"
#include "windows/FrmDT.h"
#include "windows/FrmGPS.h"
#include "windows/FrmMIF2KML.h"
#include "windows/FrmPoint.h"

namespace orvane {

// The windows' one way to the main window and the globe.
class Desktop::Host final : public DesktopHost {
  public:
    Host(TFrmMain& main, const DesktopSettings& settings) : main_(main), settings_(settings) {}

    void FileWritten(const QString& path) override { main_.AddLoadableFile(path); }
    void ShowOnGlobe(const QString& path) override { main_.OpenOnGlobe(path); }

    void ShowOnGlobeAsItStands(const QString& path) override {
        if (path.isEmpty() || !QFileInfo(path).isFile()) {
            return;
        }
        TApplicationGE& globe = main_.AppGE0();
        globe.Disconnect();
        globe.Connect();
        globe.OpenKmlFile(path, 1);
        // A globe started just now shows its own window, as a newly started globe program
        // does.
        if (globe.IsInitialized() == 0) {
            if (QWidget* window = globe.GetMainHwnd()) {
                window->show();
                window->raise();
            }
        }
    }

    void FlyTo(double longitude, double latitude) override { main_.FlyTo(longitude, latitude); }

    const DesktopSettings& Settings() const override { return settings_; }

  private:
    TFrmMain& main_;
    const DesktopSettings& settings_;
};

template <typename Window>
Window& Desktop::Created(std::unique_ptr<Window>& slot, std::unique_ptr<Window> window) {
    slot = std::move(window);
    creationOrder_ << slot->objectName();
    return *slot;
}

// The order is FrmMain, AboutBox, FrmGPS, FrmColorCfg, FrmSysOptions, FrmMIF2KML, FrmBS,
// FrmCQT, FrmDT, FrmPoint; each window takes its place in it when it is built.
Desktop::Desktop(Dialogs& dialogs, const GlobeConnector& connectGlobe,
                 const QString& colourFilePath) {
    TFrmMain& main = Created(FrmMain_, std::make_unique<TFrmMain>(dialogs, connectGlobe()));
    host_ = std::make_unique<Host>(main, settings_);
    Created(AboutBox_, std::make_unique<TAboutBox>(&main));
    Created(FrmGPS_, std::make_unique<TFrmGPS>(dialogs, &main));
    const QString colourFile = colourFilePath.isEmpty()
                                   ? QString::fromStdString(DefaultColourConfigPath())
                                   : colourFilePath;
    TFrmColorCfg& colorCfg =
        Created(FrmColorCfg_, std::make_unique<TFrmColorCfg>(colourFile, dialogs, &main));
    Created(FrmSysOptions_, std::make_unique<TFrmSysOptions>(settings_, &main));
    Created(FrmMIF2KML_, std::make_unique<TFrmMIF2KML>(*host_, dialogs, &main));
    Created(FrmBS_, std::make_unique<TFrmBS>(*host_, dialogs, &main));
    Created(FrmCQT_, std::make_unique<TFrmCQT>(*host_, dialogs, colorCfg, &main));
    Created(FrmDT_, std::make_unique<TFrmDT>(*host_, dialogs, colorCfg, &main));
    Created(FrmPoint_, std::make_unique<TFrmPoint>(*host_, dialogs, &main));

    TFrmMain::AppWindows windows;
    windows.AboutBox = AboutBox_.get();
    windows.FrmGPS = FrmGPS_.get();
    windows.FrmSysOptions = FrmSysOptions_.get();
    windows.FrmMIF2KML = FrmMIF2KML_.get();
    windows.FrmBS = FrmBS_.get();
    windows.FrmCQT = FrmCQT_.get();
    windows.FrmDT = FrmDT_.get();
    windows.FrmPoint = FrmPoint_.get();
    main.AttachWindows(windows);
}

Desktop::~Desktop() = default;

InputFileWindows Desktop::InputWindows() const {
    InputFileWindows windows;
    windows.FrmMIF2KML = InputFileWindowOf(FrmMIF2KML_.get(), true);  // as its menu item does
    windows.FrmBS = InputFileWindowOf(FrmBS_.get());
    windows.FrmDT = InputFileWindowOf(FrmDT_.get());
    windows.FrmCQT = InputFileWindowOf(FrmCQT_.get());
    return windows;
}

}  // namespace orvane
