#include "app/Mainform.h"

#include <QAction>
#include <QActionGroup>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSpinBox>
#include <QSplitter>
#include <QStatusBar>
#include <QTableWidget>
#include <QToolBar>
#include <QToolBox>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <array>

#include "app/AboutBox.h"
#include "app/GoToDialog.h"
#include "app/Icons.h"
#include "app/LoadableFileList.h"
#include "app/MarqueeLabel.h"
#include "app/Sysoptions.h"
#include "app/TimeSlider.h"
#include "common/Named.h"
#include "common/ProductInfo.h"
#include "common/RunConversion.h"

namespace orvane {

namespace {

// The function tree's entries; a click compares the item's text with them exactly.
const std::array<QString, 4> kFunctionCaptions = {
    QStringLiteral("离散点数据->KML"), QStringLiteral("基站表->KML"), QStringLiteral("DT数据->KML"),
    QStringLiteral("CQT数据->KML")};
const QString kNotAvailable = QStringLiteral("此功能尚未提供。");
constexpr int kLeftColumnWidth = 185;
constexpr int kSplitterWidth = 8;
// More matches of a name would only slow the typing down; a longer name narrows the list.
constexpr int kMostMatches = 200;
// Metres from the camera to a point flown to: a sector and its neighbours fill the view.
constexpr double kFlyToRange = 3000;
constexpr double kFlyToSpeed = 5.0;

QTreeWidget* ReadOnlyTree(QWidget* parent, const QString& name) {
    auto* tree = Named<QTreeWidget>(name, parent);
    tree->setHeaderHidden(true);
    tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tree->setRootIsDecorated(false);
    return tree;
}

}  // namespace

TFrmMain::TFrmMain(Dialogs& dialogs, std::unique_ptr<TApplicationGE> appGE)
    : dialogs_(dialogs), AppGE0_(std::move(appGE)) {
    setObjectName("FrmMain");
    setWindowTitle(QString(kProductTitle) + " V1.5");
    setWindowIcon(ProgramIcon());
    setFont(QFont(QStringLiteral("宋体"), 9));

    CreateMenus();
    auto* splitter = new QSplitter(Qt::Horizontal, this);
    splitter->setHandleWidth(kSplitterWidth);
    splitter->addWidget(CreateLeftColumn());
    // The map's host above the time bar of timed files.
    auto* view = new QWidget(splitter);
    auto* viewLayout = new QVBoxLayout(view);
    viewLayout->setContentsMargins(0, 0, 0, 0);
    viewLayout->setSpacing(0);
    Panel01 = Named<QWidget>("Panel01", view);
    Panel01->setAutoFillBackground(true);
    QPalette black = Panel01->palette();
    black.setColor(QPalette::Window, Qt::black);
    Panel01->setPalette(black);
    Panel01->installEventFilter(this);
    viewLayout->addWidget(Panel01, 1);
    timeSlider_ = new TimeSlider(*AppGE0_, view);
    viewLayout->addWidget(timeSlider_);
    splitter->addWidget(view);
    splitter->setStretchFactor(0, 0);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({kLeftColumnWidth, 987 - kLeftColumnWidth - kSplitterWidth});
    setCentralWidget(splitter);
    CreateStatusBar();
    loadableFiles_->ShowProgressIn(*statusBar());
    loadableFiles_->SetFilesListener(
        [this](const QList<LoadedKmlFile>& files) { timeSlider_->FilesChanged(files); });
    resize(987, 646 + menuBar()->sizeHint().height());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect centred = geometry();
        centred.moveCenter(screen->availableGeometry().center());
        move(centred.topLeft());
    }

    Timer1.setInterval(500);
    ConnectPlaybackControls();
    FormCreate();
    MarkMissingConverterWindows();
}

TFrmMain::~TFrmMain() {
    // The map belongs to the globe, not to the view panel: never take it down with the panel.
    GiveRenderWindowBack();
}

void TFrmMain::FormCreate() {
    GeMainWindow = nullptr;
    GeRenderWindow = nullptr;
    GeRenderParent = nullptr;
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("名称"), QStringLiteral("值")});
}

void TFrmMain::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("文件"));
    N9 = Named(file->addAction(QStringLiteral("保存平面影像为...")), "N9");
    OnClick(N9, this, dialogs_, &TFrmMain::N9Click);
    file->addSeparator();
    N4 = Named(file->addAction(QStringLiteral("退出")), "N4");
    OnClick(N4, this, dialogs_, &TFrmMain::N4Click);

    QMenu* tools = menuBar()->addMenu(QStringLiteral("工具"));
    GPS1 = Named(tools->addAction(QStringLiteral("GPS轨迹回放")), "GPS1");
    GPS1->setEnabled(false);  // enabled once the playback dialog exists
    MapinfoMifKML1 = Named(tools->addAction(QStringLiteral("Mapinfo MIF转KML")), "MapinfoMifKML1");
    OnClick(MapinfoMifKML1, this, dialogs_, &TFrmMain::MapinfoMifKML1Click);
    CreateGlobeTools(*tools);

    QMenu* options = menuBar()->addMenu(QStringLiteral("选项"));
    N7 = Named(options->addAction(QStringLiteral("系统参数")), "N7");
    OnClick(N7, this, dialogs_, &TFrmMain::N7Click);

    ViewMenu = menuBar()->addMenu(QStringLiteral("视图"));
    ViewMenu->setObjectName("ViewMenu");
    connect(ViewMenu, &QMenu::aboutToShow, this,
            Guarded(this, dialogs_, &TFrmMain::FillMapThemeMenu));

    QMenu* help = menuBar()->addMenu(QStringLiteral("帮助"));
    N3 = Named(help->addAction(QStringLiteral("关于...")), "N3");
    OnClick(N3, this, dialogs_, &TFrmMain::N3Click);
}

void TFrmMain::CreateGlobeTools(QMenu& tools) {
    tools.addSeparator();
    rulerAction_ = Named(tools.addAction(QStringLiteral("测距")), "RulerAction");
    rulerAction_->setCheckable(true);
    rulerAction_->setToolTip(QStringLiteral("测距：在地图上单击各点，Esc 或右键结束"));
    connect(rulerAction_, &QAction::toggled, this,
            [this](bool on) { ReportErrors(this, dialogs_, [this, on] { RulerToggled(on); }); });
    QAction* goTo = Named(tools.addAction(QStringLiteral("定位…")), "GoToAction");
    goTo->setShortcut(QKeySequence(QStringLiteral("Ctrl+G")));
    OnClick(goTo, this, dialogs_, &TFrmMain::GoToClick);

    QToolBar* bar = addToolBar(QStringLiteral("地图工具"));
    bar->setObjectName("GlobeToolBar");
    bar->setMovable(false);
    bar->addAction(rulerAction_);
    bar->addAction(goTo);

    AppGE0_->SetRulerListener([this](const QString& text, bool active) {
        StatusPane->setText(text);
        const QSignalBlocker quiet(rulerAction_);
        rulerAction_->setChecked(active);
    });
}

void TFrmMain::EnsureGlobeShown() {
    if (AppGE0_->IsInitialized() == 0) {
        EmbedGoogleEarth();
    }
}

void TFrmMain::RulerToggled(bool on) {
    if (on) {
        EnsureGlobeShown();
    }
    AppGE0_->SetRulerActive(on);
}

void TFrmMain::GoToClick() {
    if (!goTo_) {
        goTo_ = new GoToDialog(
            this, {.find =
                       [this](const QString& text) {
                           return AppGE0_->FindPlacemarks(text, kMostMatches);
                       },
                   .flyTo =
                       [this](const GeoPosition& position) {
                           ReportErrors(this, dialogs_,
                                        [&] { FlyTo(position.longitude, position.latitude); });
                       },
                   .show =
                       [this](const PlacemarkMatch& match) {
                           ReportErrors(this, dialogs_, [&] { ShowPlacemark(match); });
                       }});
    }
    goTo_->show();
    goTo_->raise();
    goTo_->activateWindow();
}

void TFrmMain::ShowPlacemark(const PlacemarkMatch& match) {
    EnsureGlobeShown();
    AppGE0_->ShowPlacemark(match);
}

QWidget* TFrmMain::CreateFunctionTree() {
    TreeView1 = ReadOnlyTree(this, "TreeView1");
    TreeView1->setIconSize(QSize(24, 24));
    for (int i = 0; i < static_cast<int>(kFunctionCaptions.size()); ++i) {
        auto* item = new QTreeWidgetItem(TreeView1, {kFunctionCaptions[i]});
        item->setIcon(0, FunctionIcon(i));
    }
    connect(TreeView1, &QTreeWidget::itemClicked, this,
            Guarded(this, dialogs_, &TFrmMain::TreeView1Click));
    return TreeView1;
}

QWidget* TFrmMain::CreatePlaybackGroup() {
    auto* group = new QWidget(this);
    BtnStart = Named<QPushButton>("BtnStart", QStringLiteral("开始"), group);
    BtnPause = Named<QPushButton>("BtnPause", QStringLiteral("暂停"), group);
    BtnEnd = Named<QPushButton>("BtnEnd", QStringLiteral("结束"), group);
    BtnPause->setEnabled(false);
    BtnEnd->setEnabled(false);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(2);
    for (QPushButton* button : {BtnStart, BtnPause, BtnEnd}) {
        button->setMinimumWidth(10);
        buttons->addWidget(button);
    }

    auto* speedLabel = new QLabel(QStringLiteral("速度："), group);
    TrackBar1 = Named<QSlider>("TrackBar1", Qt::Horizontal, group);
    TrackBar1->setRange(3, 13);
    TrackBar1->setValue(5);
    TrackBar1->setTickInterval(1);
    TrackBar1->setTickPosition(QSlider::TicksBelow);
    // The slider sets the time between two steps: the left end plays fastest.
    TrackBar1->setToolTip(QStringLiteral("回放速度：向左更快，向右更慢"));
    auto* fast = Named<QLabel>("TrackBar1Fast", QStringLiteral("快"), group);
    auto* slow = Named<QLabel>("TrackBar1Slow", QStringLiteral("慢"), group);
    auto* speed = new QHBoxLayout;
    speed->addWidget(speedLabel);
    speed->addWidget(fast);
    speed->addWidget(TrackBar1, 1);
    speed->addWidget(slow);

    StringGrid1 = Named<QTableWidget>("StringGrid1", 4, 2, group);
    StringGrid1->verticalHeader()->hide();
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->horizontalHeader()->setFixedHeight(24);
    StringGrid1->setColumnWidth(0, 76);
    StringGrid1->setColumnWidth(1, 100);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* layout = new QVBoxLayout(group);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addLayout(buttons);
    layout->addLayout(speed);
    layout->addWidget(StringGrid1, 1);
    return group;
}

QWidget* TFrmMain::CreateLeftColumn() {
    auto* column = new QSplitter(Qt::Vertical, this);
    column->setMinimumWidth(kLeftColumnWidth);
    GroupBar = Named<QToolBox>("GroupBar", column);
    GroupBar->addItem(CreateFunctionTree(), QStringLiteral("功能目录树"));
    GroupBar->addItem(CreatePlaybackGroup(), QStringLiteral("回放控制"));
    TreeView2 = ReadOnlyTree(this, "TreeView2");
    TreeView2->setTextElideMode(Qt::ElideLeft);
    connect(TreeView2, &QTreeWidget::itemDoubleClicked, this,
            Guarded(this, dialogs_, &TFrmMain::TreeView2DblClick));
    loadableFiles_ = std::make_unique<LoadableFileList>(
        *TreeView2, *AppGE0_, dialogs_, [this](const QString& path) { OpenOnGlobe(path); });
    GroupBar->addItem(TreeView2, QStringLiteral("可加载文件"));
    GroupBar->setCurrentIndex(0);

    auto* buttons = new QWidget(column);
    Button1 = Named<QPushButton>("Button1", QStringLiteral("弹出GE窗口"), buttons);
    Button2 = Named<QPushButton>("Button2", QStringLiteral("载入GE窗口"), buttons);
    OnClick(Button1, this, dialogs_, &TFrmMain::Button1Click);
    OnClick(Button2, this, dialogs_, &TFrmMain::Button2Click);
    auto* layout = new QVBoxLayout(buttons);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(Button1);
    layout->addWidget(Button2);
    layout->addStretch();

    column->addWidget(GroupBar);
    column->addWidget(buttons);
    column->setStretchFactor(0, 1);
    column->setStretchFactor(1, 0);
    return column;
}

void TFrmMain::CreateStatusBar() {
    statusBar()->setFixedHeight(24);
    MarqueePane = new MarqueeLabel(QString::fromUtf8(kMakerName), this);
    MarqueePane->setObjectName("MarqueePane");
    // Wide enough for the whole text: it scrolls through the pane without being cut short.
    MarqueePane->setMinimumWidth(std::max(220, MarqueePane->sizeHint().width()));
    auto* glyph = new QLabel(this);
    glyph->setPixmap(ProgramIcon().pixmap(16, 16));
    statusBar()->addWidget(MarqueePane);
    StatusPane = Named<QLabel>("StatusPane", this);
    statusBar()->addWidget(StatusPane, 1);
    statusBar()->addPermanentWidget(glyph);
}

void TFrmMain::FillMapThemeMenu() {
    ViewMenu->clear();
    auto* group = new QActionGroup(ViewMenu);
    const QString current = AppGE0_->CurrentMapTheme();
    bool fieldThemes = false;
    for (const MapTheme& theme : AppGE0_->MapThemes()) {
        // The maps of field work come first, the others below a line.
        if (fieldThemes && !theme.forFieldWork) {
            ViewMenu->addSeparator();
        }
        fieldThemes = theme.forFieldWork;
        QAction* action = ViewMenu->addAction(theme.name);
        action->setCheckable(true);
        action->setChecked(theme.id == current);
        action->setData(theme.id);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, id = theme.id] {
            ReportErrors(this, dialogs_, [this, id] { AppGE0_->SetMapTheme(id); });
        });
    }
    AddProjectionItems();
}

void TFrmMain::AttachWindows(const AppWindows& windows) {
    windows_ = windows;
    MapinfoMifKML1->setEnabled(windows_.FrmMIF2KML != nullptr);
    GPS1->setEnabled(windows_.FrmGPS != nullptr);
    MarkMissingConverterWindows();
}

QWidget* TFrmMain::ConverterWindowFor(const QString& caption) const {
    const std::array<QWidget*, 4> windows = {windows_.FrmPoint, windows_.FrmBS, windows_.FrmDT,
                                             windows_.FrmCQT};
    for (size_t i = 0; i < kFunctionCaptions.size(); ++i) {
        if (caption == kFunctionCaptions[i]) {
            return windows[i];
        }
    }
    return nullptr;
}

void TFrmMain::MarkMissingConverterWindows() {
    for (int i = 0; i < TreeView1->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = TreeView1->topLevelItem(i);
        const bool available = ConverterWindowFor(item->text(0)) != nullptr;
        item->setForeground(
            0, available ? palette().text() : palette().brush(QPalette::Disabled, QPalette::Text));
        item->setToolTip(0, available ? QString() : kNotAvailable);
    }
}

void TFrmMain::TreeView1Click() {
    const QTreeWidgetItem* item = TreeView1->currentItem();
    if (item == nullptr) {
        return;
    }
    const QString caption = item->text(0);
    if (std::find(kFunctionCaptions.begin(), kFunctionCaptions.end(), caption) ==
        kFunctionCaptions.end()) {
        return;
    }
    QWidget* window = ConverterWindowFor(caption);
    if (window == nullptr) {
        dialogs_.Message(this, kNotAvailable);
        return;
    }
    window->show();
    window->raise();
    window->activateWindow();
}

void TFrmMain::AddLoadableFile(const QString& path) {
    for (int i = 0; i < TreeView2->topLevelItemCount(); ++i) {
        if (TreeView2->topLevelItem(i)->text(0) == path) {
            loadableFiles_->Rewritten(path);
            return;
        }
    }
    auto* item = new QTreeWidgetItem(TreeView2, {path});
    item->setToolTip(0, path);
    loadableFiles_->Added(*item);
}

void TFrmMain::OpenLoadableFile(const QString& path) {
    const bool listed = !TreeView2->findItems(path, Qt::MatchExactly).isEmpty();
    AddLoadableFile(path);
    try {
        OpenOnGlobe(path);
    } catch (...) {
        if (!listed) {
            delete TreeView2->findItems(path, Qt::MatchExactly).value(0);
        }
        throw;
    }
}

void TFrmMain::TreeView2DblClick() {
    const QTreeWidgetItem* item = TreeView2->currentItem();
    if (item == nullptr) {
        return;
    }
    OpenOnGlobe(item->text(0));
}

void TFrmMain::OpenOnGlobe(const QString& path) {
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        return;
    }
    if (AppGE0_->IsInitialized() == 0) {
        EmbedGoogleEarth();
    }
    AppGE0_->OpenKmlFile(path, 1);
}

bool TFrmMain::IsGoogleEarthRunning() const {
    return AppGE0_->FindMainWindow() != nullptr;
}

void TFrmMain::FlyTo(double longitude, double latitude) {
    EnsureGlobeShown();
    const ICameraInfoGE camera = AppGE0_->GetCamera(1);
    const double range = camera.Range > 0 ? std::min(camera.Range, kFlyToRange) : kFlyToRange;
    AppGE0_->SetCameraParams(latitude, longitude, 0, camera.FocusPointAltitudeMode, range,
                             camera.Tilt, camera.Azimuth, kFlyToSpeed);
}

bool TFrmMain::IsEmbedded() const {
    return GeRenderWindow && GeRenderWindow->parentWidget() == Panel01;
}

void TFrmMain::EmbedGoogleEarth() {
    AppGE0_->Disconnect();
    AppGE0_->Connect();
    GeMainWindow = AppGE0_->GetMainHwnd();
    GeRenderWindow = AppGE0_->GetRenderHwnd();
    if (GeMainWindow) {
        GeMainWindow->installEventFilter(this);
        if (GeMainWindow->isVisible()) {
            globeWindowPlace_ = GeMainWindow->geometry();
        }
    }
    // Embedding again while embedded must not forget where the map came from.
    if (!IsEmbedded()) {
        GeRenderParent = GeRenderWindow ? GeRenderWindow->parentWidget() : nullptr;
    }
    if (GeMainWindow) {
        GeMainWindow->setGeometry(GlobeWindowPlace());
    }
    if (GeRenderWindow) {
        GeRenderWindow->setParent(Panel01);
        GeRenderWindow->setGeometry(0, 0, Panel01->width(), Panel01->height());
        GeRenderWindow->show();
    }
    if (GeMainWindow) {
        GeMainWindow->hide();
    }
}

void TFrmMain::GiveRenderWindowBack() {
    if (GeRenderWindow && GeRenderParent && GeRenderWindow->parentWidget() != GeRenderParent) {
        GeRenderWindow->setParent(GeRenderParent);
        GeRenderWindow->show();
    }
}

QRect TFrmMain::GlobeWindowPlace() const {
    if (globeWindowPlace_) {
        return *globeWindowPlace_;
    }
    return QRect(Panel01->mapToGlobal(QPoint(0, 0)), Panel01->size());
}

void TFrmMain::Button1Click() {
    if (!GeRenderWindow || !GeRenderParent) {
        return;
    }
    const QRect place = GlobeWindowPlace();
    GiveRenderWindowBack();
    if (GeMainWindow) {
        GeMainWindow->setGeometry(place);
        GeMainWindow->showNormal();
        GeMainWindow->raise();
    }
}

void TFrmMain::Button2Click() {
    if (!IsGoogleEarthRunning() || !GeRenderParent) {
        EmbedGoogleEarth();
        return;
    }
    AppGE0_->Disconnect();
    AppGE0_->Connect();
    const QWidget* render = AppGE0_->GetRenderHwnd();
    if (render && render->parentWidget() == GeRenderParent) {
        EmbedGoogleEarth();
    }
}

void TFrmMain::Panel01Resize() {
    // Only the embedded map follows the panel; popped out, it belongs to the globe window.
    if (IsEmbedded()) {
        GeRenderWindow->setGeometry(0, 0, Panel01->width(), Panel01->height());
    }
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Panel01 && event->type() == QEvent::Resize) {
        Panel01Resize();
    }
    // The popped-out globe window is remembered where the user puts it.
    if (watched == GeMainWindow && GeMainWindow->isVisible() &&
        (event->type() == QEvent::Move || event->type() == QEvent::Resize)) {
        globeWindowPlace_ = GeMainWindow->geometry();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFrmMain::N4Click() {
    close();
}

void TFrmMain::N7Click() {
    if (windows_.FrmSysOptions == nullptr) {
        return;
    }
    windows_.FrmSysOptions->exec();
}

void TFrmMain::N3Click() {
    if (windows_.AboutBox != nullptr) {
        windows_.AboutBox->exec();
    }
}

void TFrmMain::MapinfoMifKML1Click() {
    if (windows_.FrmMIF2KML != nullptr) {
        windows_.FrmMIF2KML->exec();
    }
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        emit Closed();
    }
}

void TFrmMain::FormDestroy() {
    for (QWidget* window : {static_cast<QWidget*>(windows_.FrmPoint), windows_.FrmBS,
                            windows_.FrmCQT, windows_.FrmDT}) {
        if (window != nullptr) {
            window->hide();
        }
    }
    Timer1.stop();
    playback_ = {};
    PlaybackCamera.reset();
    GiveRenderWindowBack();
    if (GeMainWindow) {
        GeMainWindow->showNormal();
    }
    QWidget* globe = AppGE0_->FindMainWindow();
    if (globe == nullptr) {
        return;
    }
    if (dialogs_.Question(this, QStringLiteral("同时也关闭GoogleEarth吗？"),
                          QStringLiteral("关闭GE提示框"))) {
        globe->close();
        GeRenderParent = nullptr;
    }
}

}  // namespace orvane
