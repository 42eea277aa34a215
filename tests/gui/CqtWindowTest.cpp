// The CQT window, driven offscreen: opening a workbook, binding its columns, the legend of the
// theme column, the file it writes, what it reports and how it recovers from errors.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <string>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmColorCfg.h"
#include "windows/LegendPanel.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kCases = QStringLiteral(ORVANE_TEST_DATA "/workbooks/cqt-cases.xlsx");
using Values = std::vector<std::string>;

}  // namespace

class CqtWindowTest : public QObject {
    Q_OBJECT
  public:
    explicit CqtWindowTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        temporary_ = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary_->isValid());
        dir_ = QDir(temporary_->path());
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); },
            dir_.filePath("ColCfg.col"));
        progressSeen_.clear();
        progressWithoutWaitCursor_ = false;
        WatchProgress(Child<QProgressBar>(Cqt(), "CGauge3"), this, progressSeen_,
                      progressWithoutWaitCursor_);
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "CQT数据->KML");
        QVERIFY(QTest::qWaitForWindowExposed(&Cqt()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        temporary_.reset();
    }

    void treeEntryOpensTheWindowWithItsControls() {
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Cqt().windowTitle(), QString("CQT数据->KML"));
        QCOMPARE(Cqt().parentWidget(), &Main());
        QVERIFY(Cqt().windowFlags() & Qt::WindowStaysOnTopHint);
        QVERIFY(Cqt().minimumSize() != Cqt().maximumSize());  // resizable
        QCOMPARE(Child<QLabel>(Cqt(), "Label13")->text(), QString("CQT Excel表："));
        QCOMPARE(Child<QLabel>(Cqt(), "Label20")->text(), QString("工作表选择："));
        QCOMPARE(Child<QGroupBox>(Cqt(), "GroupBox6")->title(), QString("字段选择："));
        QCOMPARE(Child<QLabel>(Cqt(), "Label17")->text(), QString("标识名称:"));
        QCOMPARE(Child<QLabel>(Cqt(), "Label14")->text(), QString("经度:"));
        QCOMPARE(Child<QLabel>(Cqt(), "Label15")->text(), QString("纬度:"));
        QCOMPARE(Child<QLabel>(Cqt(), "Label16")->text(), QString("选择专题字段："));
        QCOMPARE(Child<QLabel>(Cqt(), "Label18")->text(), QString("KML文件输出："));
        QCOMPARE(Child<QGroupBox>(Cqt(), "GroupBox4")->title(), QString("信息栏"));
        QCOMPARE(Child<QPushButton>(Cqt(), "Button7")->text(), QString("生成KML文件"));
        QCOMPARE(Child<QPushButton>(Cqt(), "Button1")->text(), QString("确定"));
        QVERIFY(Child<QLineEdit>(Cqt(), "EdtCQTFName")->isReadOnly());
        QVERIFY(!Child<QLineEdit>(Cqt(), "EdtFName3")->isReadOnly());  // typed as well as chosen
        QVERIFY(Child<QPushButton>(Cqt(), "Button7")->isEnabled());
        QCOMPARE(Child<QProgressBar>(Cqt(), "CGauge3")->maximum(), 100);
        QCOMPARE(Child<QProgressBar>(Cqt(), "CGauge3")->value(), 0);
        const auto* pages = Cqt().findChild<QTabWidget*>("PageControl3");
        QVERIFY(pages != nullptr);
        QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet8"));
        QCOMPARE(Cqt().findChild<QLabel*>("Label21")->text(), QString("左值≤\u3000X\u3000＜右值"));
        QVERIFY(Cqt().findChild<QSpinBox*>("CSpinEdit2") != nullptr);

        // Generating checks its inputs in order, each with its own message.
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        Open(kCases);
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        BindColumns();
        Child<QLineEdit>(Cqt(), "EdtFName3")->clear();  // the proposed output, emptied
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages,
                 QStringList({"请打开要导入的Excel文件!", "请选择导入时必需的对应列和字段!",
                              "请选择输出的文件名！"}));
        QCOMPARE(dir_.entryList(QDir::Files), QStringList());
    }

    void openingAWorkbookOffersItsSheetsAndColumns() {
        Child<QLineEdit>(Cqt(), "EdtFName3")->setText("/kept/out.kml");
        Open(kCases);
        const FileDialogOptions options = dialogs_.fileDialogs.first();
        QCOMPARE(options.title, QString("打开Excel文件"));
        QVERIFY(options.filter.startsWith("表格文件(*.xls *.xlsx *.csv *.txt)|"));
        QCOMPARE(options.directory, QDir::currentPath());
        QCOMPARE(Child<QLineEdit>(Cqt(), "EdtCQTFName")->text(), kCases);
        QCOMPARE(Child<QLineEdit>(Cqt(), "EdtFName3")->text(), WithExtension(kCases, ".KML"));
        QCOMPARE(Items(*Child<QComboBox>(Cqt(), "CbBoxSheet1")),
                 QStringList({"等级", "分级", "表头", "复测"}));
        QCOMPARE(Child<QComboBox>(Cqt(), "CbBoxSheet1")->currentIndex(), 0);

        // A list offers every column not bound by another choice; opening it clears its own.
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Lon1"), "B:经度");
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Lat1"), "C:纬度");
        Child<ColumnChoice>(Cqt(), "CBBox_Name1")->showPopup();
        QCOMPARE(Items(*Child<ColumnChoice>(Cqt(), "CBBox_Name1")),
                 QStringList({"A:测试点", "D:质量", "E:备注"}));
        Child<ColumnChoice>(Cqt(), "CBBox_Name1")->hidePopup();
        Child<ColumnChoice>(Cqt(), "CBBox_Lat1")->showPopup();
        Child<ColumnChoice>(Cqt(), "CBBox_Lat1")->hidePopup();
        QCOMPARE(Child<ColumnChoice>(Cqt(), "CBBox_Lat1")->currentText(), QString());
        QCOMPARE(Items(*Child<ColumnChoice>(Cqt(), "CBBox_Lat1")),
                 QStringList({"A:测试点", "C:纬度", "D:质量", "E:备注"}));

        // Cancelling keeps everything; a file that is no workbook leaves the open one in use.
        dialogs_.openPaths.push_back(std::nullopt);
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton9"), Qt::LeftButton);
        const QString notes = dir_.filePath("notes.xls");
        WriteFile(notes, QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1 broken", 16));
        Open(notes);
        QCOMPARE(dialogs_.errors.size(), 1);
        QVERIFY(dialogs_.errors[0].startsWith("无法读取表格文件 " + notes));
        QCOMPARE(Child<QLineEdit>(Cqt(), "EdtCQTFName")->text(), kCases);
        QCOMPARE(Items(*Child<QComboBox>(Cqt(), "CbBoxSheet1")).size(), 4);
        QCOMPARE(Cqt().Source().path(), kCases.toStdString());
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void themeChoiceRefreshesTheLegendPanel() {
        Open(kCases);
        BindColumns();  // theme 质量: an empty cell among 优, 良, 差
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->scan().distinctValues,
                 Values({"", "优", "差", "良"}));
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->ActiveKind(), LegendKind::Classification);
        QCOMPARE(Cqt().findChild<QTableWidget*>("StringGrid2")->rowCount(), 4);
        QVERIFY(!Cqt().findChild<QGroupBox*>("GroupBox7")->isVisible());
        QVERIFY(Child<QPushButton>(Cqt(), "Button7")->isEnabled());

        SelectSheet("分级");
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Theme"), "D:RxLev");
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->ActiveKind(),
                 LegendKind::Classification);  // still shown
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->scan().minimum, 0.0);
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->scan().maximum, 20.0);
        QCOMPARE(Cqt().findChild<QTableWidget*>("StringGrid3")->item(3, 2)->text(), QString("20"));

        // A column that allows neither legend disables generating.
        QByteArray csv = "name,lon,lat,note\n";
        for (int i = 0; i < 17; ++i) {
            csv += "p,113,24,n" + QByteArray::number(i) + "x\n";
        }
        WriteFile(dir_.filePath("notes.csv"), csv);
        Open(dir_.filePath("notes.csv"));
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Theme"), "D:note");
        QVERIFY(!Child<QPushButton>(Cqt(), "Button7")->isEnabled());
        QVERIFY(!Cqt().findChild<QTabWidget*>("PageControl3")->isTabVisible(0));
        QVERIFY(!Cqt().findChild<QTabWidget*>("PageControl3")->isTabVisible(1));
    }

    void classificationIsWrittenAsTheReviewedFile() {
        Open(kCases);
        BindColumns();
        const QString out = ChooseOutput("classes.kml");
        Child<QPlainTextEdit>(Cqt(), "Memo0")->setPlainText("what the last conversion said");

        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(FileBytes(out),
                 ProcedureOutput(Cqt().Request(), dir_.filePath("expected.kml"), ConvertCqtToKml));
        QCOMPARE(Cqt().Request().legend.kind, LegendKind::Classification);
        QCOMPARE(Cqt().Request().legend.classEntries.size(), size_t{4});
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Cqt(), "Memo0")),
                 QStringList({"第5行数据为无效数据,原因:", "  专题字段 :D:质量无有效值!",
                              "第6行数据为无效数据,原因:", "  标识名称 :A:测试点无有效值!",
                              "  经度 :B:经度无有效值!"}));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入4行数据."}));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({out}));
        QVERIFY(progressSeen_.contains(100));
        QCOMPARE(progressSeen_.last(), 0);
        QVERIFY(!progressWithoutWaitCursor_);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(globe_->calls.isEmpty());

        // Another sheet with the same columns: its rows are matched against the legend of the
        // first, which the sheet change keeps; 中 is in no class and still written.
        SelectSheet("复测");
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->scan().distinctValues,
                 Values({"", "优", "差", "良"}));
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QVERIFY(FileBytes(out).contains("#POINTSTYLE-1"));
        QCOMPARE(dialogs_.messages.last(), QString("导出完成,共导入3行数据."));
        QVERIFY(Lines(*Child<QPlainTextEdit>(Cqt(), "Memo0")).isEmpty());

        // A sheet without a bound entry: the choice shows it, but it binds nothing.
        SelectSheet("分级");
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages.last(), QString("请选择导入时必需的对应列和字段!"));
    }

    void gradingReadsItsBoundsBeforeAnythingElse() {
        Open(kCases);
        SelectSheet("分级");
        BindColumns("D:RxLev");
        Cqt().findChild<QSpinBox*>("CSpinEdit2")->setValue(2);
        QTest::mouseClick(Cqt().findChild<QPushButton*>("Button2"), Qt::LeftButton);
        Cqt().findChild<QGroupBox*>("RadioGroup3")->findChildren<QAbstractButton*>().at(1)->click();
        const QString out = ChooseOutput("grades.kml");
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QCOMPARE(FileBytes(out),
                 ProcedureOutput(Cqt().Request(), dir_.filePath("expected.kml"), ConvertCqtToKml));
        QCOMPARE(Cqt().Request().legend.boundaryMode, BoundaryMode::RightInclusive);
        QCOMPARE(Cqt().Request().legend.gradeEntries.size(), size_t{2});

        WriteFile(out, "kept");
        Child<QPlainTextEdit>(Cqt(), "Memo0")->setPlainText("earlier");
        Cqt().findChild<QTableWidget*>("StringGrid3")->item(1, 1)->setText("");
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"'' is not a valid floating point value"}));
        QCOMPARE(FileBytes(out), QByteArray("kept"));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Cqt(), "Memo0")), QStringList({"earlier"}));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入5行数据."}));
        QCOMPARE(Child<QProgressBar>(Cqt(), "CGauge3")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void gradingMenuSavesAndLoadsTheScheme() {
        Open(kCases);
        SelectSheet("分级");
        BindColumns("D:RxLev");
        const std::vector<LegendEntry> saved = Child<LegendPanel>(Cqt(), "Legend")->GradeRows();
        TFrmColorCfg& colorCfg = desktop_->FrmColorCfg();
        QTimer::singleShot(0, &colorCfg, [&colorCfg] {
            QCOMPARE(colorCfg.SchemeName(), QString("D:RxLev"));
            QTest::mouseClick(colorCfg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        Child<LegendPanel>(Cqt(), "Legend")->findChild<QAction*>("N2")->trigger();
        QCOMPARE(dialogs_.messages, QStringList({"保存完毕!"}));
        QVERIFY(
            FileBytes(dir_.filePath("ColCfg.col"))
                .contains("<ORVANE_Config_File><ColorConfig Name=\"D:RxLev\" ItemCount=\"4\">"));

        Cqt().findChild<QSpinBox*>("CSpinEdit2")->setValue(6);
        QTest::mouseClick(Cqt().findChild<QPushButton*>("Button2"), Qt::LeftButton);
        QTimer::singleShot(0, &colorCfg, [&colorCfg] {
            colorCfg.findChild<QLineEdit*>("EdtColorName")->setText("D:RxLev");
            QTest::mouseClick(colorCfg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        Child<LegendPanel>(Cqt(), "Legend")->findChild<QAction*>("N1")->trigger();
        QCOMPARE(Cqt().findChild<QSpinBox*>("CSpinEdit2")->value(), 4);
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->GradeRows(), saved);
    }

    void viewButtonShowsTheFileWithoutEmbeddingTheGlobe() {
        Open(kCases);  // proposes an output beside the workbook: another is chosen
        ChooseOutput("view.kml");
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton11"), Qt::LeftButton);
        QVERIFY(globe_->calls.isEmpty());  // nothing written yet

        BindColumns();
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button7"), Qt::LeftButton);
        const QString out = Child<QLineEdit>(Cqt(), "EdtFName3")->text();
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton11"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"Disconnect", "Connect", "OpenKmlFile(" + out + ",1)",
                                             "IsInitialized", "GetMainHwnd"}));
        // Not embedded in the main window: the started globe shows its own window.
        QVERIFY(Child<QWidget>(Main(), "Panel01")->findChildren<QWidget*>().isEmpty());
        QVERIFY(globe_->Window()->isVisible());

        globe_->calls.clear();
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton11"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"Disconnect", "Connect", "OpenKmlFile(" + out + ",1)",
                                             "IsInitialized"}));
    }

    void closeButtonHidesAndKeepsTheContents() {
        Open(kCases);
        BindColumns();
        ChooseOutput("kept.kml");
        QTest::mouseClick(Child<QPushButton>(Cqt(), "Button1"), Qt::LeftButton);
        QVERIFY(!Cqt().isVisible());
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "CQT数据->KML");
        QVERIFY(Cqt().isVisible());
        QCOMPARE(Child<QLineEdit>(Cqt(), "EdtCQTFName")->text(), kCases);
        QCOMPARE(Child<ColumnChoice>(Cqt(), "CBBox_Theme")->currentText(), QString("D:质量"));
        QCOMPARE(Child<QLineEdit>(Cqt(), "EdtFName3")->text(), dir_.filePath("kept.kml"));
        QCOMPARE(Child<LegendPanel>(Cqt(), "Legend")->ActiveKind(), LegendKind::Classification);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }
    TFrmCQT& Cqt() { return desktop_->FrmCQT(); }

    void Open(const QString& path) {
        dialogs_.openPaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton9"), Qt::LeftButton);
    }

    QString ChooseOutput(const QString& name) {
        const QString path = dir_.filePath(name);
        dialogs_.savePaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Cqt(), "SpeedButton10"), Qt::LeftButton);
        return path;
    }

    // Opens the choice's list and picks the entry, as the user does.
    void Pick(QComboBox* choice, const QString& entry) {
        choice->showPopup();
        const int index = choice->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        choice->setCurrentIndex(index);
        choice->hidePopup();
        emit choice->activated(index);
    }

    void BindColumns(const QString& theme = "D:质量") {
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Name1"), "A:测试点");
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Lon1"), "B:经度");
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Lat1"), "C:纬度");
        Pick(Child<ColumnChoice>(Cqt(), "CBBox_Theme"), theme);
    }

    void SelectSheet(const QString& name) {
        const int index = Child<QComboBox>(Cqt(), "CbBoxSheet1")->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        Child<QComboBox>(Cqt(), "CbBoxSheet1")->setCurrentIndex(index);
        emit Child<QComboBox>(Cqt(), "CbBoxSheet1")->activated(index);
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
    QList<int> progressSeen_;
    bool progressWithoutWaitCursor_ = false;
};

ORVANE_GUI_TEST_MAIN(CqtWindowTest)
#include "CqtWindowTest.moc"
