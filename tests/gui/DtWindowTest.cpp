// The drive-test window, driven offscreen: reading a log's header, keeping choices across
// logs, the files it writes, what it reports and how it recovers from errors.

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
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
#include "conversions/Dt2kml.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmColorCfg.h"
#include "windows/FrmDT.h"
#include "windows/LegendPanel.h"
#include "windows/WindowParts.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kData = QStringLiteral(ORVANE_TEST_DATA "/dt");

}  // namespace

class DtWindowTest : public QObject {
    Q_OBJECT
  public:
    explicit DtWindowTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

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
        WatchProgress(Child<QProgressBar>(Dt(), "CGauge2"), this, progressSeen_,
                      progressWithoutWaitCursor_);
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        Dt().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Dt()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        temporary_.reset();
    }

    void treeEntryOpensTheWindowWithItsControls() {
        Dt().hide();
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "DT数据->KML");
        QVERIFY(Dt().isVisible());
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Dt().windowTitle(), QString("DT数据->KML"));
        QCOMPARE(Dt().parentWidget(), &Main());
        QCOMPARE(Dt().minimumSize(), Dt().maximumSize());

        QCOMPARE(Child<QLabel>(Dt(), "Label5")->text(), QString("DT数据（TXT文本）："));
        QCOMPARE(Child<QLabel>(Dt(), "Label2")->text(), QString("经度字段："));
        QCOMPARE(Child<QLabel>(Dt(), "Label3")->text(), QString("纬度字段："));
        QCOMPARE(Child<QLabel>(Dt(), "Label8")->text(), QString("选择专题字段："));
        QCOMPARE(Child<QLabel>(Dt(), "Label10")->text(), QString("KML文件输出："));
        QCOMPARE(Child<QLabel>(Dt(), "Label23")->text(), QString("轨迹宽度："));
        QCOMPARE(Child<QLabel>(Dt(), "Label1")->text(), QString("单位：象素"));
        QCOMPARE(Child<QGroupBox>(Dt(), "GroupBox4")->title(), QString("信息栏"));
        QCOMPARE(Child<QPushButton>(Dt(), "Button6")->text(), QString("生成KML文件"));
        QCOMPARE(Child<QPushButton>(Dt(), "Button1")->text(), QString("确定"));
        QVERIFY(Child<QLineEdit>(Dt(), "EdtDtFName")->isReadOnly());
        QVERIFY(Child<QLineEdit>(Dt(), "EdtFName2")->isReadOnly());
        QVERIFY(Child<QComboBox>(Dt(), "CBox_Long")->isEditable());
        QVERIFY(Child<QComboBox>(Dt(), "CBox_Lat")->isEditable());
        QVERIFY(!Child<QComboBox>(Dt(), "CBoxFNList")->isEditable());
        QCOMPARE(Child<QSpinBox>(Dt(), "CSpinEdtWidth")->minimum(), 1);
        QCOMPARE(Child<QSpinBox>(Dt(), "CSpinEdtWidth")->maximum(), 10);
        QCOMPARE(Child<QSpinBox>(Dt(), "CSpinEdtWidth")->value(), 4);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->minimum(), 0);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->maximum(), 100);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->value(), 0);
        // The legend panel carries the drive-test component names, grading page first.
        const auto* pages = Dt().findChild<QTabWidget*>("PageControl2");
        QVERIFY(pages != nullptr);
        QCOMPARE(pages->currentWidget()->objectName(), QString("TabSheet6"));
        QVERIFY(Dt().findChild<QTableWidget*>("StringGrid1") != nullptr);
        QVERIFY(Dt().findChild<QLabel*>("Label12") != nullptr);
    }

    void openingALogReadsItsHeaderAndPreselectsThePositionColumns() {
        const QString log = dir_.filePath("survey.log.txt");
        WriteFile(log,
                  "Time\tLONGITUDE\tLATITUDE\tLevel\r\n1\t113.0\t25.0\t-70\r\n"
                  "2\t113.0001\t25.0\t-80\r\n3\t113.0002\t25.0\t-80\r\n");
        Open(log);
        QCOMPARE(dialogs_.fileDialogs.size(), 1);
        const FileDialogOptions options = dialogs_.fileDialogs.first();
        QCOMPARE(options.title, QString("打开DT文本记录文件"));
        QCOMPARE(options.filter, QString("文本文件(*.txt)|*.txt"));
        QCOMPARE(options.directory, QDir::currentPath());

        QCOMPARE(Child<QLineEdit>(Dt(), "EdtDtFName")->text(), log);
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtFName2")->text(), dir_.filePath("survey.log.kml"));
        const QStringList names = {"Time", "LONGITUDE", "LATITUDE", "Level"};
        QCOMPARE(Items(*Child<QComboBox>(Dt(), "CBox_Long")), names);
        QCOMPARE(Items(*Child<QComboBox>(Dt(), "CBox_Lat")), names);
        QCOMPARE(Items(*Child<QComboBox>(Dt(), "CBoxFNList")), names);
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Long")->currentText(), QString("LONGITUDE"));
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Lat")->currentText(), QString("LATITUDE"));
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("Time"));
        // The first field was scanned: three classes, numbers 1 to 3 graded.
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"1", "2", "3"}));
        QVERIFY(Child<QPushButton>(Dt(), "Button6")->isEnabled());

        // Choosing another field scans it.
        ChooseTheme("Level");
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"-70", "-80"}));
        const DtConversionRequest request = Dt().Request();
        QCOMPARE(request.lonColumn, 1);
        QCOMPARE(request.latColumn, 2);
        QCOMPARE(request.themeColumn, 3);
        QCOMPARE(request.lineWidth, 4);
        QCOMPARE(request.breakDistance, 20);

        // A name typed into the position boxes picks its field, in any letter case; a name
        // of no field picks none.
        Child<QComboBox>(Dt(), "CBox_Long")->setEditText("level");
        Child<QComboBox>(Dt(), "CBox_Lat")->setEditText("Height");
        QCOMPARE(Dt().Request().lonColumn, 3);
        QCOMPARE(Dt().Request().latColumn, -1);
    }

    void theOutputNameReplacesTheLastExtensionOnly() {
        QCOMPARE(WithExtension("/data/a.b.txt", ".kml"), QString("/data/a.b.kml"));
        QCOMPARE(WithExtension("/data/route", ".kml"), QString("/data/route.kml"));
        QCOMPARE(WithExtension("/data.d/route", ".kml"), QString("/data.d/route.kml"));
        QCOMPARE(WithExtension("/data/ROUTE.TXT", ".kml"), QString("/data/ROUTE.kml"));
    }

    void aSecondLogKeepsTheChosenFieldsAndTheLegend() {
        const QString first = dir_.filePath("first.txt");
        WriteFile(first,
                  "Time\tX\tY\tlon\tlat\tCell\n1\t113.0\t25.0\t0\t0\tA\n"
                  "2\t113.0001\t25.0\t0\t0\tA\n3\t113.0002\t25.0\t0\t0\tB\n");
        Open(first);
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Long")->currentText(),
                 QString("lon"));                                 // detected by name
        Child<QComboBox>(Dt(), "CBox_Long")->setCurrentIndex(1);  // the user knows better
        Child<QComboBox>(Dt(), "CBox_Lat")->setCurrentIndex(2);
        ChooseTheme("Cell");
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"A", "B"}));
        const QTableWidget* classes = Dt().findChild<QTableWidget*>("StringGrid0");

        // The same names in other letter case and order: kept, and the legend is not redone
        // for the new log's values.
        const QString second = dir_.filePath("second.txt");
        WriteFile(second,
                  "CELL\tx\ty\tLON\tLAT\n"
                  "C\t113.0\t25.0\t0\t0\n"
                  "C\t113.0001\t25.0\t0\t0\n"
                  "A\t113.0002\t25.0\t0\t0\n"
                  "A\t113.0003\t25.0\t0\t0\n");
        Open(second);
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Long")->currentText(), QString("x"));
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Lat")->currentText(), QString("y"));
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("CELL"));
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"A", "B"}));
        QCOMPARE(classes->rowCount(), 2);
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->ActiveKind(), LegendKind::Classification);

        // C is no class of the kept legend: its line refers to no style of the file.
        const QString out = Child<QLineEdit>(Dt(), "EdtFName2")->text();
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        const QByteArray kml = FileBytes(out);
        QVERIFY(kml.contains("#LINESTYLE-1"));
        QVERIFY(kml.contains("#LINESTYLE0"));
        QCOMPARE(kml,
                 ProcedureOutput(Dt().Request(), dir_.filePath("expected.kml"), ConvertDtToKml));

        // A log without the theme field: its first field is chosen and scanned.
        const QString third = dir_.filePath("third.txt");
        WriteFile(third, "Speed\tX\tY\n5\t113.0\t25.0\n7\t113.0001\t25.0\n");
        Open(third);
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("Speed"));
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"5", "7"}));
        QCOMPARE(Child<QComboBox>(Dt(), "CBox_Long")->currentText(), QString("X"));
    }

    void cancellingTheOpenDialogEmptiesTheFileBoxOnly() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("小区");
        dialogs_.openPaths.push_back(std::nullopt);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton3"), Qt::LeftButton);
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtDtFName")->text(), QString());
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtFName2")->text(), kData + "/route-utf8.kml");
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->count(), 5);

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"请打开要导入的DT数据文本文件!"}));
        QVERIFY(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")).isEmpty());
    }

    void generatingWithoutAnOutputAsksForOne() {
        ChooseOutput(dir_.filePath("x.kml"));
        const FileDialogOptions options = dialogs_.fileDialogs.first();
        QCOMPARE(options.filter, QString("Keyhole Markup Language(*.KML)|*.KML|KMZ(*.KMZ)|*.KMZ"));
        QCOMPARE(options.defaultSuffix, QString("KML"));
        QCOMPARE(options.fileName, QString());
        QCOMPARE(options.directory, QDir::currentPath());
        QVERIFY(options.promptOverwrite);
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtFName2")->text(), dir_.filePath("x.kml"));

        // The proposed name is the current output; cancelling keeps it.
        ChooseOutput(std::nullopt);
        QCOMPARE(dialogs_.fileDialogs[1].fileName, dir_.filePath("x.kml"));
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtFName2")->text(), dir_.filePath("x.kml"));

        Child<QLineEdit>(Dt(), "EdtFName2")->clear();
        const QString log = dir_.filePath("route.txt");
        QVERIFY(QFile::copy(kData + "/route-utf8.txt", log));
        Open(log);
        ChooseTheme("小区");
        Child<QLineEdit>(Dt(), "EdtFName2")->clear();
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"请选择输出的文件名！"}));
        QCOMPARE(dir_.entryList(QDir::Files), QStringList({"route.txt"}));
    }

    void aFileWithoutLinesHasNoHeader() {
        Open(kData + "/route-utf8.txt");
        const QString empty = dir_.filePath("empty.txt");
        WriteFile(empty, "");
        Open(empty);
        QCOMPARE(dialogs_.errors, QStringList({"List index out of bounds (0)"}));
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->count(), 5);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void aBinaryFileIsRefusedAsALog() {
        Open(kData + "/route-utf8.txt");
        const QString binary = dir_.filePath("photo.txt");
        WriteFile(binary, QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16));
        Open(binary);
        QCOMPARE(dialogs_.errors, QStringList({binary + " 不是文本文件，不能作为DT数据读取"}));
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->count(), 5);
    }

    void aFieldThatAllowsNoLegendSaysSo() {
        const auto* hint = Dt().findChild<QLabel*>("EmptyLegendHint");
        QVERIFY(hint != nullptr);
        QVERIFY(!hint->isVisible());
        Open(kData + "/route-gbk.txt");
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("时间"));
        QVERIFY(hint->isVisible());
        QCOMPARE(hint->text(), QString("该字段不能分级也不能分类，请选择其他专题字段"));
        QVERIFY(!Dt().findChild<QTabWidget*>("PageControl2")->isVisible());
        ChooseTheme("小区");
        QVERIFY(!hint->isVisible());
        QVERIFY(Dt().findChild<QTabWidget*>("PageControl2")->isVisible());
    }

    void classificationIsWrittenAsTheReviewedFile() {
        Open(kData + "/route-gbk.txt");
        // The first field (times) can be neither classified nor graded.
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("时间"));
        QVERIFY(!Child<QPushButton>(Dt(), "Button6")->isEnabled());
        ChooseTheme("小区");
        QVERIFY(Child<QPushButton>(Dt(), "Button6")->isEnabled());
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->ActiveKind(), LegendKind::Classification);
        const QString out = dir_.filePath("cells.kml");
        ChooseOutput(out);
        Child<QPlainTextEdit>(Dt(), "Memo0")->setPlainText("what the last conversion said");

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(FileBytes(out),
                 ProcedureOutput(Dt().Request(), dir_.filePath("expected.kml"), ConvertDtToKml));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")),
                 QStringList({"生成KML文件开始...", "生成KML文件完成：" + out}));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成."}));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({out}));
        // Progress ran to 100 under the wait cursor and went back to 0; nothing else is
        // left of the conversion.
        QVERIFY(progressSeen_.contains(100));
        QCOMPARE(progressSeen_.last(), 0);
        QVERIFY(!progressWithoutWaitCursor_);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // Writing only lists the file; the globe is not touched.
        QVERIFY(globe_->calls.isEmpty());

        // Generating again lists the file once.
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({out}));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")).size(), 2);
    }

    void gradingIsWrittenAsTheReviewedFile() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("场强");
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->ActiveKind(), LegendKind::Grading);
        Dt().findChild<QSpinBox*>("CSpinEdit1")->setValue(3);
        QTest::mouseClick(Dt().findChild<QPushButton*>("Button2"), Qt::LeftButton);
        RadioButton(2)->click();
        Child<QSpinBox>(Dt(), "CSpinEdtWidth")->setValue(3);
        const QString out = dir_.filePath("levels.kml");
        ChooseOutput(out);

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(FileBytes(out), FileBytes(kData + "/route-grades.kml"));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成."}));
    }

    void theBreakDistanceIsTheSettingsAtConversionTime() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("小区");
        const QString out = dir_.filePath("joined.kml");
        ChooseOutput(out);
        desktop_->Settings().SetBreakDistance(150);
        QCOMPARE(Dt().Request().breakDistance, 150);
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        const QByteArray joined = FileBytes(out);
        QCOMPARE(joined,
                 ProcedureOutput(Dt().Request(), dir_.filePath("expected.kml"), ConvertDtToKml));
        // The cells lie about 90 m apart: at 20 m their lines do not meet.
        QVERIFY(joined != FileBytes(kData + "/route-classes.kml"));
    }

    void aBoundThatIsNoNumberLeavesTheOutputAndTheInformationBox() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("场强");
        const QString out = dir_.filePath("kept.kml");
        WriteFile(out, "kept");
        ChooseOutput(out);
        Child<QPlainTextEdit>(Dt(), "Memo0")->setPlainText("earlier");
        Dt().findChild<QSpinBox*>("CSpinEdit1")->setValue(6);  // two blank rows

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"'' is not a valid floating point value"}));
        QCOMPARE(FileBytes(out), QByteArray("kept"));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")), QStringList({"earlier"}));
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->value(), 0);

        // The inputs stay, so the user can mend them and generate again.
        QTest::mouseClick(Dt().findChild<QPushButton*>("Button2"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"导出完成."}));
        QVERIFY(FileBytes(out).startsWith("<?xml"));
    }

    void aCoordinateThatIsNoNumberStopsTheConversion() {
        Open(kData + "/bad-coordinate.txt");
        ChooseTheme("Cell");
        const QString out = dir_.filePath("bad.kml");
        WriteFile(out, "kept");
        ChooseOutput(out);

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"'25,0' is not a valid floating point value"}));
        QCOMPARE(FileBytes(out), QByteArray("kept"));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")), QStringList({"生成KML文件开始..."}));
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        // The bar had moved; the stop sets it back and restores the cursor.
        QVERIFY(progressSeen_.contains(100));
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(dir_.entryList(QDir::Files), QStringList({"bad.kml"}));
    }

    void anOutputThatCannotBeCreatedIsNoSuccess() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("小区");
        const QString out = dir_.filePath("no-such-folder/out.kml");
        ChooseOutput(out);

        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors,
                 QStringList({"Cannot create file " + out + "：输出文件所在的目录不存在"}));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")), QStringList({"生成KML文件开始..."}));
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QCOMPARE(Child<QProgressBar>(Dt(), "CGauge2")->value(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void theLogIsReadAgainWhenGenerating() {
        const QString log = dir_.filePath("changing.txt");
        WriteFile(log, "Cell\tLon\tLat\nA\t113.0\t25.0\nA\t113.0001\t25.0\n");
        Open(log);
        ChooseOutput(dir_.filePath("changing.kml"));
        WriteFile(log, "Cell\tLon\tLat\nA\t113.0\t25.0\nA\t113.0001\t25.0\nA\t113.0002\t25.0\n");
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QVERIFY(FileBytes(dir_.filePath("changing.kml")).contains("113.0002,25.0,0 "));

        QVERIFY(QFile::remove(log));
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file " + log}));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成."}));
    }

    void aLogRewrittenAfterItWasChosenIsScannedAsItWasRead() {
        const QString log = dir_.filePath("rewritten.txt");
        QByteArray records = "Cell\tLon\tLat\tLevel\n";
        for (int i = 0; i < 4000; ++i) {
            records += (i % 2 == 0 ? "A" : "B") + QByteArray("\t113.0\t25.0\t-") +
                       QByteArray::number(60 + i % 30) + '\n';
        }
        WriteFile(log, records);
        Open(log);
        // The survey tool writes the log anew, shorter, while the window holds it.
        WriteFile(log, "Cell\tLon\tLat\tLevel\nC\t113.0\t25.0\t-1\n");
        ChooseTheme("Level");
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues.size(), size_t{30});
        ChooseTheme("Cell");
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->scan().distinctValues,
                 std::vector<std::string>({"A", "B"}));
    }

    void viewButtonOpensTheOutputOnTheGlobe() {
        const QString out = dir_.filePath("view.kml");
        ChooseOutput(out);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton6"), Qt::LeftButton);
        QVERIFY(globe_->calls.isEmpty());  // nothing written yet

        Open(kData + "/route-utf8.txt");
        ChooseTheme("小区");
        ChooseOutput(out);
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(globe_->calls,
                 QStringList({"IsInitialized", "Disconnect", "Connect", "GetMainHwnd",
                              "GetRenderHwnd", "OpenKmlFile(" + out + ",1)"}));
        QCOMPARE(globe_->Render()->parentWidget(), Child<QWidget>(Main(), "Panel01"));

        globe_->calls.clear();
        globe_->initialized = 1;
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton6"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "OpenKmlFile(" + out + ",1)"}));
    }

    void gradingMenuSavesTheSchemeUnderTheThemeFieldName() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("场强");
        TFrmColorCfg& colorCfg = desktop_->FrmColorCfg();
        QCOMPARE(colorCfg.colourFilePath(), dir_.filePath("ColCfg.col"));
        QTimer::singleShot(0, &colorCfg, [&colorCfg] {
            QCOMPARE(colorCfg.SchemeName(), QString("场强"));
            QTest::mouseClick(colorCfg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
        });
        Child<LegendPanel>(Dt(), "Legend")->findChild<QAction*>("N2")->trigger();
        QCOMPARE(dialogs_.messages, QStringList({"保存完毕!"}));
        QVERIFY(FileBytes(dir_.filePath("ColCfg.col")).contains("ItemCount=\"4\""));
    }

    void closeButtonHidesAndKeepsTheContents() {
        Open(kData + "/route-utf8.txt");
        ChooseTheme("小区");
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button1"), Qt::LeftButton);
        QVERIFY(!Dt().isVisible());
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "DT数据->KML");
        QVERIFY(Dt().isVisible());
        QCOMPARE(Child<QLineEdit>(Dt(), "EdtDtFName")->text(), kData + "/route-utf8.txt");
        QCOMPARE(Child<QComboBox>(Dt(), "CBoxFNList")->currentText(), QString("小区"));
        QCOMPARE(Child<LegendPanel>(Dt(), "Legend")->ActiveKind(), LegendKind::Classification);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }
    TFrmDT& Dt() { return desktop_->FrmDT(); }

    void Open(const QString& path) {
        dialogs_.openPaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton3"), Qt::LeftButton);
    }

    void ChooseOutput(const std::optional<QString>& path) {
        dialogs_.savePaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton4"), Qt::LeftButton);
    }

    void ChooseTheme(const QString& name) {
        const int index = Child<QComboBox>(Dt(), "CBoxFNList")->findText(name);
        QVERIFY2(index >= 0, qPrintable(name));
        Child<QComboBox>(Dt(), "CBoxFNList")->setCurrentIndex(index);
    }

    QRadioButton* RadioButton(int code) {
        return Dt().findChild<QGroupBox*>("RadioGroup2")->findChildren<QRadioButton*>().at(code);
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
    QList<int> progressSeen_;
    bool progressWithoutWaitCursor_ = false;
};

ORVANE_GUI_TEST_MAIN(DtWindowTest)
#include "DtWindowTest.moc"
