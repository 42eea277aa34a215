// The main window and the start-up, against the recording globe and scripted dialogs.

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolBox>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/AboutBox.h"
#include "app/Desktop.h"
#include "app/Mainform.h"
#include "app/Sysoptions.h"
#include "common/DesktopSettings.h"
#include "common/ProductInfo.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmDT.h"
#include "windows/FrmMIF2KML.h"
#include "windows/FrmPoint.h"

using namespace orvane;
using namespace orvane::test;

// Receives the links that the desktop is asked to open.
class LinkCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened << url; }
};

class MainFormTest : public QObject {
    Q_OBJECT
  public:
    explicit MainFormTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    // "测距" embeds the globe and starts the ruler; the ruler's report shows in the status bar
    // and its end unchecks the tool.
    void theRulerReportsInTheStatusBar() {
        auto* ruler = Child<QAction>(Main(), "RulerAction");
        ruler->trigger();
        QVERIFY(globe_->calls.contains("SetRulerActive(1)"));
        QVERIFY(Main().IsGoogleEarthRunning());
        globe_->rulerListener("测距：850 m", false);
        QCOMPARE(Child<QLabel>(Main(), "StatusPane")->text(), QString("测距：850 m"));
        QVERIFY(!ruler->isChecked());
    }

    // "定位…" (Ctrl+G) flies to a typed position, or lists the placemarks found by name and
    // shows the chosen one.
    void goToTakesPositionsAndNames() {
        globe_->placemarks = {{"/a.kml", "Cell-A1\tCell-A2", "<table/>", 113.1, 23.1},
                              {"/a.kml", "CQT 站点", "", 113.2, 23.2}};
        auto* goTo = Child<QAction>(Main(), "GoToAction");
        QCOMPARE(goTo->shortcut(), QKeySequence("Ctrl+G"));
        goTo->trigger();
        auto* matches = Child<QListWidget>(Main(), "GoToMatches");
        TypeIntoGoTo("113°15'E，23°6'N");
        QCOMPARE(globe_->calls.filter("SetCameraParams").last(),
                 QString("SetCameraParams(23.1,113.25,0,1,3000,0,0,5)"));
        TypeIntoGoTo("cell-a");
        QCOMPARE(matches->count(), 1);
        QCOMPARE(matches->item(0)->text(), QString("Cell-A1  —  a.kml"));
        QCOMPARE(globe_->calls.last(), QString("ShowPlacemark(Cell-A1\tCell-A2)"));
        TypeIntoGoTo("无此名");
        QCOMPARE(matches->count(), 0);
        QCOMPARE(Child<QLabel>(Main(), "GoToHint")->text(), QString("未找到"));
    }

    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); });
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
    }

    void startUpCreatesEveryWindowOnceInOrder() {
        QCOMPARE(desktop_->CreationOrder(),
                 QStringList({"FrmMain", "AboutBox", "FrmGPS", "FrmColorCfg", "FrmSysOptions",
                              "FrmMIF2KML", "FrmBS", "FrmCQT", "FrmDT", "FrmPoint"}));
        QCOMPARE(desktop_->FrmPoint().parentWidget(), &Main());
        // Nothing touches the globe at start: the view stays black and empty.
        QVERIFY(globe_->calls.isEmpty());
        QVERIFY(Child<QWidget>(Main(), "Panel01")->findChildren<QWidget*>().isEmpty());
        QCOMPARE(desktop_->Settings().BreakDistance(), 20);
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QCOMPARE(Child<QTableWidget>(Main(), "StringGrid1")->horizontalHeaderItem(0)->text(),
                 QString("名称"));
        QCOMPARE(Child<QTableWidget>(Main(), "StringGrid1")->horizontalHeaderItem(1)->text(),
                 QString("值"));
        QCOMPARE(Child<QToolBox>(Main(), "GroupBar")->currentIndex(), 0);
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView1")),
                 QStringList({"离散点数据->KML", "基站表->KML", "DT数据->KML", "CQT数据->KML"}));
        QVERIFY(!Child<QPushButton>(Main(), "BtnPause")->isEnabled());
        QVERIFY(!Child<QPushButton>(Main(), "BtnEnd")->isEnabled());
        QVERIFY(Child<QAction>(Main(), "N9")->isEnabled());
        QVERIFY(Child<QAction>(Main(), "GPS1")->isEnabled());
        QVERIFY(Child<QPushButton>(Main(), "BtnStart")->isEnabled());
        QVERIFY(Child<QAction>(Main(), "MapinfoMifKML1")->isEnabled());
    }

    void functionTreeShowsEachConverterWindow() {
        const std::pair<QString, QWidget*> entries[] = {{"离散点数据->KML", &desktop_->FrmPoint()},
                                                        {"基站表->KML", &desktop_->FrmBS()},
                                                        {"DT数据->KML", &desktop_->FrmDT()},
                                                        {"CQT数据->KML", &desktop_->FrmCQT()}};
        for (const auto& [caption, window] : entries) {
            ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), caption);
            QVERIFY2(window->isVisible(), qPrintable(caption));
        }
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void treeClicksWithoutSelectionDoNothing() {
        Child<QTreeWidget>(Main(), "TreeView1")->setCurrentItem(nullptr);
        Main().TreeView1Click();
        Main().TreeView2DblClick();
        QVERIFY(dialogs_.messages.isEmpty());
        QVERIFY(!desktop_->FrmPoint().isVisible());
        QVERIFY(globe_->calls.isEmpty());
    }

    void loadableFilesKeepOneEntryPerExactPath() {
        Main().AddLoadableFile("/data/a.kml");
        Main().AddLoadableFile("/data/b.kml");
        Main().AddLoadableFile("/data/a.kml");
        Main().AddLoadableFile("/data/A.kml");
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")),
                 QStringList({"/data/a.kml", "/data/b.kml", "/data/A.kml"}));
    }

    void doubleClickOpensAListedFileOnTheGlobe() {
        QTemporaryDir dir;
        const QString path = dir.filePath("area.kml");
        WriteFile(path, "<kml/>");
        Main().AddLoadableFile(path);
        Main().AddLoadableFile(dir.filePath("missing.kml"));
        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);

        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), dir.filePath("missing.kml"), true);
        QVERIFY(globe_->calls.isEmpty());

        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), path, true);
        QCOMPARE(globe_->calls,
                 QStringList({"IsInitialized", "Disconnect", "Connect", "GetMainHwnd",
                              "GetRenderHwnd", "OpenKmlFile(" + path + ",1)"}));
        QCOMPARE(globe_->Render()->parentWidget(), Child<QWidget>(Main(), "Panel01"));

        // Once the map shows, a file opens without embedding again.
        globe_->calls.clear();
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), path, true);
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "OpenKmlFile(" + path + ",1)"}));
    }

    void buttonsMoveTheMapBetweenTheThreeViewStates() {
        // Popping out before anything was embedded does nothing.
        QTest::mouseClick(Child<QPushButton>(Main(), "Button1"), Qt::LeftButton);
        QVERIFY(globe_->calls.isEmpty());
        QVERIFY(!globe_->IsRunning());

        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QVERIFY(Embedded());

        QTest::mouseClick(Child<QPushButton>(Main(), "Button1"), Qt::LeftButton);
        QCOMPARE(globe_->Render()->parentWidget(), globe_->Window());
        QVERIFY(globe_->Window()->isVisible());
        QVERIFY(globe_->Render()->isVisible());

        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QVERIFY(Embedded());

        // Loading while embedded reconnects but moves nothing.
        globe_->calls.clear();
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"Disconnect", "Connect", "GetRenderHwnd"}));
        QVERIFY(Embedded());

        // Embedding from the converter windows' path while embedded keeps the way back.
        Main().EmbedGoogleEarth();
        QTest::mouseClick(Child<QPushButton>(Main(), "Button1"), Qt::LeftButton);
        QCOMPARE(globe_->Render()->parentWidget(), globe_->Window());
    }

    void embeddedMapFollowsThePanelSize() {
        Main().EmbedGoogleEarth();
        Main().resize(Main().width() + 120, Main().height() + 80);
        QTRY_COMPARE(globe_->Render()->size(), Child<QWidget>(Main(), "Panel01")->size());
    }

    void closingAnsweredNoLeavesTheGlobeOpenWithItsMap() {
        Main().EmbedGoogleEarth();
        dialogs_.answers = {false};
        Main().close();
        Main().FormDestroy();
        QCOMPARE(dialogs_.questions, QStringList({"同时也关闭GoogleEarth吗？"}));
        QVERIFY(globe_->IsRunning());
        QVERIFY(globe_->Window()->isVisible());
        QCOMPARE(globe_->Render()->parentWidget(), globe_->Window());
        QVERIFY(Main().GeRenderParent != nullptr);
    }

    void closingAnsweredYesClosesTheGlobe() {
        Main().EmbedGoogleEarth();
        Main().Button1Click();
        dialogs_.answers = {true};
        Main().FormDestroy();
        QCOMPARE(dialogs_.questions, QStringList({"同时也关闭GoogleEarth吗？"}));
        QVERIFY(globe_->calls.contains("Closed"));
        QVERIFY(!globe_->IsRunning());
        QVERIFY(Main().GeRenderParent == nullptr);
    }

    void closingWithoutAGlobeAsksNothing() {
        Main().FormDestroy();
        QVERIFY(dialogs_.questions.isEmpty());
    }

    void systemParametersTakeTheValueOnlyOnOk() {
        TFrmSysOptions& options = desktop_->FrmSysOptions();
        AnswerModal(options, 75, Child<QPushButton>(options, "BtnOK"));
        Main().N7Click();
        QCOMPARE(desktop_->Settings().BreakDistance(), 75);

        AnswerModal(options, 120, Child<QPushButton>(options, "BtnCancel"));
        Main().N7Click();
        QCOMPARE(desktop_->Settings().BreakDistance(), 75);
        QCOMPARE(Child<QSpinBox>(options, "CSpinEdit1")->minimum(), 1);
        QCOMPARE(Child<QSpinBox>(options, "CSpinEdit1")->maximum(), 200);
    }

    void systemParametersKeepTheStandardLayoutInTheSettingsOnlyOnOk() {
        QSettings(kProductTitle, kProductTitle).clear();
        const auto standardOnOpening = [this] {
            const TFrmSysOptions fresh(desktop_->Settings(), nullptr);
            return Child<QCheckBox>(fresh, "CBoxStandardKml")->isChecked();
        };
        QVERIFY(!standardOnOpening());  // off by default
        TFrmSysOptions& options = desktop_->FrmSysOptions();
        QCOMPARE(Child<QCheckBox>(options, "CBoxStandardKml")->text(),
                 QString("标准KML格式（适用于GIS软件）"));
        const auto answer = [&options](bool checked, QPushButton* button) {
            QTimer::singleShot(0, &options, [&options, checked, button] {
                Child<QCheckBox>(options, "CBoxStandardKml")->setChecked(checked);
                QTest::mouseClick(button, Qt::LeftButton);
            });
            options.exec();
        };
        answer(true, Child<QPushButton>(options, "BtnOK"));
        QCOMPARE(DesktopSettings().Layout(), KmlLayout::Standard);
        QVERIFY2(standardOnOpening(), "kept for the next run");
        answer(false, Child<QPushButton>(options, "BtnCancel"));
        QCOMPARE(DesktopSettings().Layout(), KmlLayout::Standard);
        QVERIFY(Child<QCheckBox>(options, "CBoxStandardKml")->isChecked());
        answer(false, Child<QPushButton>(options, "BtnOK"));
        QCOMPARE(DesktopSettings().Layout(), KmlLayout::Fixed);
    }

    void systemParametersKeepTheCoordinateDecimalsOnlyOnOk() {
        TFrmSysOptions& options = desktop_->FrmSysOptions();
        QCOMPARE(Child<QComboBox>(options, "CBoxDigits")->count(), 16);
        QCOMPARE(Child<QComboBox>(options, "CBoxDigits")->itemText(0), QString("不变"));
        const auto answer = [&options](int digits, QPushButton* button) {
            QTimer::singleShot(0, &options, [&options, digits, button] {
                Child<QComboBox>(options, "CBoxDigits")->setCurrentIndex(digits);
                QTest::mouseClick(button, Qt::LeftButton);
            });
            options.exec();
        };
        answer(7, Child<QPushButton>(options, "BtnOK"));
        QCOMPARE(DesktopSettings().CoordinateDigits(), 7);
        answer(3, Child<QPushButton>(options, "BtnCancel"));
        QCOMPARE(Child<QComboBox>(options, "CBoxDigits")->currentIndex(), 7);
        answer(0, Child<QPushButton>(options, "BtnOK"));
        QCOMPARE(DesktopSettings().CoordinateDigits(), 0);
    }

    void anErrorInAHandlerIsShownAndTheWindowGoesOn() {
        globe_->failure = "Globe failed";
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"Globe failed"}));

        globe_->failure.reset();
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QVERIFY(Embedded());
        QCOMPARE(dialogs_.errors.size(), 1);
    }

    void aboutBoxLinkStartsAMailToTheMaker() {
        LinkCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "Open");
        TAboutBox& about = desktop_->AboutBox();
        QCOMPARE(about.windowTitle(), QString("关于"));
        QCOMPARE(about.size(), QSize(303, 179));
        about.show();
        QTest::mouseClick(Child<MailLinkLabel>(about, "LinkLabel"), Qt::LeftButton);
        QDesktopServices::unsetUrlHandler("mailto");
        QCOMPARE(catcher.opened, QList<QUrl>({QUrl("mailto:orvane@example.org")}));
        QVERIFY(Child<MailLinkLabel>(about, "LinkLabel")->text().contains("example.org"));
        about.hide();
    }

    void menusShowTheirDialogsModallyAndExitCloses() {
        QStringList shown;
        const auto closeWhenShown = [&shown](QDialog& dialog, QPushButton* button) {
            QTimer::singleShot(0, &dialog, [&shown, &dialog, button] {
                if (dialog.isVisible() && QApplication::activeModalWidget() == &dialog) {
                    shown << dialog.objectName();
                }
                QTest::mouseClick(button, Qt::LeftButton);
            });
        };
        closeWhenShown(desktop_->FrmMIF2KML(),
                       Child<QPushButton>(desktop_->FrmMIF2KML(), "Button2"));
        Child<QAction>(Main(), "MapinfoMifKML1")->trigger();
        closeWhenShown(desktop_->AboutBox(), Child<QPushButton>(desktop_->AboutBox(), "OKButton"));
        Child<QAction>(Main(), "N3")->trigger();
        QCOMPARE(shown, QStringList({"FrmMIF2KML", "AboutBox"}));

        QSignalSpy closed(&Main(), &TFrmMain::Closed);
        Child<QAction>(Main(), "N4")->trigger();
        QCOMPARE(closed.count(), 1);
        QVERIFY(!Main().isVisible());
    }

    void viewMenuOffersTheThemesAndSwitchesTheMap() {
        emit Child<QMenu>(Main(), "ViewMenu")->aboutToShow();
        const QList<QAction*> actions = Child<QMenu>(Main(), "ViewMenu")->actions();
        QStringList texts;
        for (const QAction* action : actions) {
            texts << action->text();
        }
        // The themes, then (behind a separator) the projections.
        QCOMPARE(texts, QStringList({"Plain Map", "Blue Marble", "", "球面", "平面"}));
        QVERIFY(actions[0]->isChecked());
        actions[1]->trigger();
        QCOMPARE(globe_->mapTheme, QString("earth/bluemarble/bluemarble.dgml"));
        emit Child<QMenu>(Main(), "ViewMenu")->aboutToShow();
        QVERIFY(Child<QMenu>(Main(), "ViewMenu")->actions()[1]->isChecked());
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    void TypeIntoGoTo(const QString& text) {
        auto* field = Child<QLineEdit>(Main(), "GoToField");
        field->setText(text);  // typed keys would be ASCII only
        QTest::keyClick(field, Qt::Key_Return);
    }

    bool Embedded() {
        QWidget* render = globe_->Render();
        return render && render->parentWidget() == Child<QWidget>(Main(), "Panel01") &&
               render->isVisible() && render->size() == Child<QWidget>(Main(), "Panel01")->size() &&
               !globe_->Window()->isVisible() && Main().GeRenderParent == globe_->Window();
    }

    // Once the modal dialog runs, puts the value into its spin edit and presses the button.
    static void AnswerModal(TFrmSysOptions& options, int value, QPushButton* button) {
        QTimer::singleShot(0, &options, [&options, value, button] {
            QVERIFY(options.isVisible());
            Child<QSpinBox>(options, "CSpinEdit1")->setValue(value);
            QTest::mouseClick(button, Qt::LeftButton);
        });
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(MainFormTest)
#include "MainFormTest.moc"
