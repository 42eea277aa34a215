#include "app/Desktop.h"

#include "app/AboutBox.h"
#include "app/InputFiles.h"
#include "app/Mainform.h"
#include "app/Sysoptions.h"
#include "legend/Colcfg.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmColorCfg.h"
#include "windows/FrmDT.h"
#include "windows/FrmGPS.h"
#include "windows/FrmMIF2KML.h"
#include "windows/FrmPoint.h"

namespace orvane {

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
    Created(AboutBox_, std::make_unique<TAboutBox>(&main));
    Created(FrmGPS_, std::make_unique<TFrmGPS>(dialogs, &main));
    const QString colourFile = colourFilePath.isEmpty()
                                   ? QString::fromStdString(DefaultColourConfigPath())
                                   : colourFilePath;
    TFrmColorCfg& colorCfg =
        Created(FrmColorCfg_, std::make_unique<TFrmColorCfg>(colourFile, dialogs, &main));
    Created(FrmSysOptions_, std::make_unique<TFrmSysOptions>(&main));
    Created(FrmMIF2KML_, std::make_unique<TFrmMIF2KML>(dialogs, &main));
    Created(FrmBS_, std::make_unique<TFrmBS>(main, dialogs));
    Created(FrmCQT_, std::make_unique<TFrmCQT>(main, dialogs, colorCfg, connectGlobe()));
    Created(FrmDT_, std::make_unique<TFrmDT>(main, dialogs, colorCfg));
    Created(FrmPoint_, std::make_unique<TFrmPoint>(main, dialogs));

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
