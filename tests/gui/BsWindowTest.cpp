// The base-station window, driven offscreen: opening a workbook, offering its sheets and
// columns, the files it writes, what it reports and how it recovers from errors.

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmBS.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kCases = QStringLiteral(ORVANE_TEST_DATA "/bs/bs-cases.xlsx");
const QString kSample = QStringLiteral(ORVANE_EXAMPLES "/bs-table.xlsx");
const QString kReviewed = QStringLiteral(ORVANE_TEST_DATA "/bs");

}  // namespace

class BsWindowTest : public QObject {
    Q_OBJECT
  public:
    explicit BsWindowTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

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
        WatchProgress(Child<QProgressBar>(Bs(), "CGauge1"), this, progressSeen_,
                      progressWithoutWaitCursor_);
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        temporary_.reset();
    }

    void treeEntryOpensTheWindowWithItsControls() {
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView1"), "基站表->KML");
        QVERIFY(Bs().isVisible());
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Bs().windowTitle(), QString("基站表->KML"));
        QCOMPARE(Bs().parentWidget(), &Main());
        QVERIFY(Bs().minimumSize() != Bs().maximumSize());  // resizable

        QCOMPARE(Child<QLabel>(Bs(), "Label1")->text(), QString("基站Excel表："));
        QCOMPARE(Child<QLabel>(Bs(), "Label19")->text(), QString("工作表选择："));
        QCOMPARE(Child<QGroupBox>(Bs(), "GroupBox2")->title(), QString("字段选择："));
        QCOMPARE(Child<QLabel>(Bs(), "Label4")->text(), QString("SITE_NAME："));
        QCOMPARE(Child<QLabel>(Bs(), "Label6")->text(), QString("经度："));
        QCOMPARE(Child<QLabel>(Bs(), "Label7")->text(), QString("纬度："));
        QCOMPARE(Child<QLabel>(Bs(), "Label11")->text(), QString("方向角："));
        QCOMPARE(Child<QLabel>(Bs(), "LabelBeamwidth")->text(), QString("波束宽度："));
        QCOMPARE(Child<QLabel>(Bs(), "Label2")->text(), QString("扇区半径："));
        QCOMPARE(Child<QLabel>(Bs(), "Label5")->text(), QString("单位：秒"));
        QCOMPARE(Items(*Child<QComboBox>(Bs(), "CBoxRadiusUnit")), QStringList({"秒", "米"}));
        QCOMPARE(Child<QComboBox>(Bs(), "CBoxRadiusUnit")->currentText(), QString("秒"));
        QCOMPARE(Child<QLabel>(Bs(), "Label3")->text(), QString("KML文件输出："));
        QCOMPARE(Child<QGroupBox>(Bs(), "GroupBox4")->title(), QString("信息栏"));
        QCOMPARE(Child<QPushButton>(Bs(), "Button5")->text(), QString("生成KML文件"));
        QCOMPARE(Child<QPushButton>(Bs(), "Button1")->text(), QString("确定"));
        QVERIFY(Child<QLineEdit>(Bs(), "EdtxlsFName")->isReadOnly());
        QVERIFY(Child<QLineEdit>(Bs(), "EdtFName1")->isReadOnly());
        for (QComboBox* box :
             {Child<QComboBox>(Bs(), "CbBoxSheet"),
              static_cast<QComboBox*>(Child<ColumnChoice>(Bs(), "CBBox_Sitename")),
              static_cast<QComboBox*>(Child<ColumnChoice>(Bs(), "CBBox_Beamwidth"))}) {
            QVERIFY(!box->isEditable());
            QCOMPARE(box->count(), 0);
        }
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->minimum(), 1);
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->maximum(), 100);
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->value(), 2);
        QCOMPARE(Child<QProgressBar>(Bs(), "CGauge1")->minimum(), 0);
        QCOMPARE(Child<QProgressBar>(Bs(), "CGauge1")->maximum(), 100);
        QCOMPARE(Child<QProgressBar>(Bs(), "CGauge1")->value(), 0);
        QCOMPARE(Child<QPlainTextEdit>(Bs(), "Memo0")->verticalScrollBarPolicy(),
                 Qt::ScrollBarAlwaysOn);

        QTest::mouseClick(Child<QPushButton>(Bs(), "Button1"), Qt::LeftButton);
        QVERIFY(!Bs().isVisible());
    }

    void openingAWorkbookOffersItsSheetsAndProposesTheOutput() {
        Open(kCases);
        QCOMPARE(dialogs_.fileDialogs.size(), 1);
        const FileDialogOptions options = dialogs_.fileDialogs.first();
        QCOMPARE(options.title, QString("打开Excel文件"));
        QVERIFY(options.filter.startsWith(
            "表格文件(*.xls *.xlsx *.csv *.txt)|*.xls;*.xlsx;*.csv;*.txt|MicroSoft Excel Files"));
        QCOMPARE(options.directory, QDir::currentPath());
        QCOMPARE(Child<QLineEdit>(Bs(), "EdtxlsFName")->text(), kCases);
        QCOMPARE(Child<QLineEdit>(Bs(), "EdtFName1")->text(), kReviewed + "/bs-cases.KML");
        QCOMPARE(Child<QComboBox>(Bs(), "CbBoxSheet")->count(), 10);
        QCOMPARE(Child<QComboBox>(Bs(), "CbBoxSheet")->currentText(), QString("三扇区"));
        QCOMPARE(Bs().Source().columnCount(), 6);

        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("波束宽度"));
        QCOMPARE(Bs().Source().currentSheet(), 9);
        QCOMPARE(Bs().Source().columnEntries().back(), std::string("E:波束宽度"));
        QCOMPARE(WithExtension("/data/bs", ".KML"), QString("/data/bs.KML"));
        QCOMPARE(WithExtension("/data.d/bs.table.xls", ".KML"), QString("/data.d/bs.table.KML"));

        // Cancelling the dialog empties the file box only; generating then asks for a file.
        dialogs_.openPaths.push_back(std::nullopt);
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton2"), Qt::LeftButton);
        QCOMPARE(Child<QLineEdit>(Bs(), "EdtxlsFName")->text(), QString());
        QCOMPARE(Child<QComboBox>(Bs(), "CbBoxSheet")->count(), 10);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"请打开要导入的Excel文件!"}));
    }

    void aFileThatIsNoWorkbookIsReportedAndNamedNowhere() {
        Open(kCases);
        const QString notes = dir_.filePath("notes.xls");
        WriteFile(notes, QByteArray("plain\0text", 10));
        Open(notes);
        QCOMPARE(dialogs_.errors.size(), 1);
        QVERIFY2(dialogs_.errors.first().contains(notes), qPrintable(dialogs_.errors.first()));
        QCOMPARE(Child<QLineEdit>(Bs(), "EdtxlsFName")->text(), QString());
        QCOMPARE(Child<QComboBox>(Bs(), "CbBoxSheet")->count(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void columnListsOfferWhatTheOtherChoicesLeave() {
        Open(kSample);
        ClearChoices();  // those made from the headers
        const QStringList all = {"A:站名", "B:经度", "C:纬度", "D:方向角",
                                 "E:CI",   "F:LAC",  "G:频段", "H:波束宽度"};
        Bs().CBBox_LonDropDown();
        QCOMPARE(Items(*Child<ColumnChoice>(Bs(), "CBBox_Lon")), all);
        Child<ColumnChoice>(Bs(), "CBBox_Lon")->setCurrentIndex(1);
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Lat"), "C:纬度");
        // Opening a list through the widget refills it and clears its own selection.
        Child<ColumnChoice>(Bs(), "CBBox_Lon")->showPopup();
        Child<ColumnChoice>(Bs(), "CBBox_Lon")->hidePopup();
        QCOMPARE(Child<ColumnChoice>(Bs(), "CBBox_Lon")->currentText(), QString());
        QCOMPARE(Items(*Child<ColumnChoice>(Bs(), "CBBox_Lon")).size(), all.size() - 1);
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Lon"), "B:经度");
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Beamwidth"), "H:波束宽度");
        Bs().CBBox_SitenameDropDown();
        QCOMPARE(Items(*Child<ColumnChoice>(Bs(), "CBBox_Sitename")),
                 QStringList({"A:站名", "D:方向角", "E:CI", "F:LAC", "G:频段"}));
        Bs().CBBox_BeamwidthDropDown();
        QCOMPARE(Items(*Child<ColumnChoice>(Bs(), "CBBox_Beamwidth")),
                 QStringList({"", "A:站名", "D:方向角", "E:CI", "F:LAC", "G:频段", "H:波束宽度"}));
    }

    void usualHeadersArePreselectedAndTheUsersChoiceWins() {
        Open(kSample);
        QCOMPARE(Texts(), QStringList({"A:站名", "B:经度", "C:纬度", "D:方向角", "H:波束宽度"}));

        // An exact name comes before a header that only contains one.
        const QString table = dir_.filePath("cells.csv");
        WriteFile(table, "Cell_Name,小区经度,经度,纬度(度),azimuth\nC1,116.1,116.2,39.9,120\n");
        Open(table);
        // The beamwidth entry of the other file binds nothing here.
        QCOMPARE(Texts(),
                 QStringList({"A:Cell_Name", "C:经度", "D:纬度(度)", "E:azimuth", "H:波束宽度"}));
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Lon"), "B:小区经度");
        Open(table);
        QCOMPARE(Child<ColumnChoice>(Bs(), "CBBox_Lon")->currentText(), QString("B:小区经度"));
    }

    void aWorkbookChangedSinceItWasOpenedIsReadAgain() {
        const QString table = dir_.filePath("sites.csv");
        WriteFile(table, "站名,经度,纬度,方向角\nS1,116.1,39.9,0\n");
        Open(table);
        const QString out = dir_.filePath("sites.kml");
        ChooseOutput(out);

        // A column added in front moves the chosen ones; their headers keep them.
        WriteFile(table, "备注,站名,经度,纬度,方向角\nx,S1,116.75,39.9,0\n");
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QVERIFY(FileBytes(out).contains("116.75"));
        QCOMPARE(Child<ColumnChoice>(Bs(), "CBBox_Lon")->currentText(), QString("C:经度"));

        // A chosen column that is gone writes nothing.
        WriteFile(table, "站名,经度,纬度\nS1,116.5,39.9\n");
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages.last(),
                 QString("表格文件在打开后已被修改，其中已没有所选的：E:方向角。未生成KML文件。"));
        QVERIFY(FileBytes(out).contains("116.75"));

        QFile::remove(table);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file " + table}));
    }

    void aRefusedOutputSaysWhy() {
        Open(kSample);
        ChooseOutput(dir_.path());
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors,
                 QStringList({"Cannot create file " + dir_.path() + "：输出文件是一个目录"}));
    }

    void theSampleIsWrittenAsTheReviewedFile() {
        Open(kSample);
        ChooseSampleColumns();
        const QString out = dir_.filePath("sites.kml");
        ChooseOutput(out);
        const FileDialogOptions options = dialogs_.fileDialogs.last();
        QCOMPARE(options.filter, QString("Keyhole Markup Language(*.KML)|*.KML|KMZ(*.KMZ)|*.KMZ"));
        QCOMPARE(options.defaultSuffix, QString("KML"));
        QCOMPARE(options.directory, QDir::currentPath());
        QVERIFY(options.promptOverwrite);
        Child<QPlainTextEdit>(Bs(), "Memo0")->setPlainText("what the last conversion said");

        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(FileBytes(out),
                 ProcedureOutput(Bs().Request(), dir_.filePath("expected.kml"), ConvertBsToKml));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入6行数据."}));
        QVERIFY(Lines(*Child<QPlainTextEdit>(Bs(), "Memo0")).isEmpty());
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({out}));
        QVERIFY(progressSeen_.contains(100));
        QCOMPARE(progressSeen_.last(), 0);
        QVERIFY(!progressWithoutWaitCursor_);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QVERIFY(globe_->calls.isEmpty());  // writing only lists the file

        // The view button shows it, embedding the globe first.
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton7"), Qt::LeftButton);
        QCOMPARE(globe_->calls,
                 QStringList({"IsInitialized", "Disconnect", "Connect", "GetMainHwnd",
                              "GetRenderHwnd", "OpenKmlFile(" + out + ",1)"}));
        globe_->calls.clear();
        globe_->initialized = 1;
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton7"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "OpenKmlFile(" + out + ",1)"}));
        // Without a file at the output path the button does nothing.
        globe_->calls.clear();
        ChooseOutput(dir_.filePath("none.kml"));
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton7"), Qt::LeftButton);
        QVERIFY(globe_->calls.isEmpty());
    }

    void skippedRowsAreReportedInTheInformationBox() {
        Open(kCases);
        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("跳过行"));
        ChooseCaseColumns();
        ChooseOutput(dir_.filePath("skipped.kml"));
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Bs(), "Memo0")),
                 QStringList({"第3行数据未导入,原因:", "  方向角 :D:方向角无有效值!",
                              "第5行数据未导入,原因:", "  站名 :A:站名无有效值!",
                              "第7行数据未导入,原因:", "  纬度 :C:纬度无有效值!"}));
        QCOMPARE(dialogs_.messages, QStringList({"导出完成,共导入2行数据."}));
    }

    void missingChoicesAreAskedFor() {
        Open(kCases);
        Child<ColumnChoice>(Bs(), "CBBox_Direct")
            ->setCurrentIndex(-1);  // undo the choice made from the header
        const QString out = dir_.filePath("x.kml");
        ChooseOutput(out);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        ChooseCaseColumns();
        Child<QLineEdit>(Bs(), "EdtFName1")->clear();
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        ChooseOutput(out);
        // Bound on one sheet, the entry stays shown on another that does not have it.
        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("TAB"));
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Direct"), "F:尾");
        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("三扇区"));
        QCOMPARE(Child<ColumnChoice>(Bs(), "CBBox_Direct")->currentText(), QString("F:尾"));
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages,
                 QStringList({"请选择导入时必需的对应列和字段!", "请选择输出的文件名！",
                              "请选择导入时必需的对应列和字段!"}));
        QVERIFY(!QFile::exists(out));
        QVERIFY(dialogs_.errors.isEmpty());
    }

    void anAzimuthThatIsNoWholeNumberLeavesTheOutput() {
        Open(kCases);
        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("非整数方向角"));
        ChooseCaseColumns();
        const QString out = dir_.filePath("kept.kml");
        WriteFile(out, "kept");
        ChooseOutput(out);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"'120.5' is not a valid integer value"}));
        QCOMPARE(FileBytes(out), QByteArray("kept"));
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QCOMPARE(Child<QProgressBar>(Bs(), "CGauge1")->value(), 0);
        QVERIFY(progressSeen_.contains(100));
        QVERIFY(QApplication::overrideCursor() == nullptr);
        QCOMPARE(dir_.entryList(QDir::Files), QStringList({"kept.kml"}));

        // An output that cannot be created is no success either.
        Child<QComboBox>(Bs(), "CbBoxSheet")->setCurrentIndex(0);
        const QString nowhere = dir_.filePath("no-folder/out.kml");
        ChooseOutput(nowhere);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors.last(),
                 "Cannot create file " + nowhere + "：输出文件所在的目录不存在");
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void beamwidthsAndMetresDrawWedgesOfTrueSize() {
        Open(QStringLiteral(ORVANE_TEST_DATA "/bs/bs-cases.xls"));
        Child<QComboBox>(Bs(), "CbBoxSheet")
            ->setCurrentIndex(Child<QComboBox>(Bs(), "CbBoxSheet")->findText("波束宽度"));
        ChooseCaseColumns();
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Beamwidth"), "E:波束宽度");
        Child<QSpinBox>(Bs(), "CSpinEdit1")->setValue(7);
        Child<QComboBox>(Bs(), "CBoxRadiusUnit")->setCurrentIndex(1);
        QCOMPARE(Child<QLabel>(Bs(), "Label5")->text(), QString("单位：米"));
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->maximum(), 100000);
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->value(), 300);
        Child<QSpinBox>(Bs(), "CSpinEdit1")->setValue(500);
        const QString out = dir_.filePath("true-size.kml");
        ChooseOutput(out);
        QTest::mouseClick(Child<QPushButton>(Bs(), "Button5"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(FileBytes(out),
                 ProcedureOutput(Bs().Request(), dir_.filePath("expected.kml"), ConvertBsToKml));
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Bs(), "Memo0")).size(), 3);
        QCOMPARE(Lines(*Child<QPlainTextEdit>(Bs(), "Memo0")).first(),
                 QString("第3行波束宽度 :E:波束宽度无有效值!按45度绘制."));

        // Each unit keeps its radius.
        Child<QComboBox>(Bs(), "CBoxRadiusUnit")->setCurrentIndex(0);
        QCOMPARE(Child<QLabel>(Bs(), "Label5")->text(), QString("单位：秒"));
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->maximum(), 100);
        QCOMPARE(Child<QSpinBox>(Bs(), "CSpinEdit1")->value(), 7);
        QCOMPARE(Bs().Request().sectorRadius, 7);
        QVERIFY(!Bs().Request().radiusMetres);
        Child<QComboBox>(Bs(), "CBoxRadiusUnit")->setCurrentIndex(1);
        QCOMPARE(Bs().Request().radiusMetres.value_or(0), 500.0);
        // Choosing the empty item drops the beamwidth column.
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Beamwidth"), "");
        QCOMPARE(Bs().Request().beamwidthColumn, 0);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }
    TFrmBS& Bs() { return desktop_->FrmBS(); }

    void Open(const QString& path) {
        dialogs_.openPaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton2"), Qt::LeftButton);
    }

    void ChooseOutput(const QString& path) {
        dialogs_.savePaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Bs(), "SpeedButton1"), Qt::LeftButton);
    }

    // Opens the choice's list, as the user does, and picks the entry.
    void Choose(ColumnChoice* choice, const QString& entry) {
        choice->onDropDown();
        const int index = choice->findText(entry);
        QVERIFY2(index >= 0, qPrintable(entry));
        choice->setCurrentIndex(index);
    }

    void ClearChoices() {
        for (QComboBox* choice :
             {Child<ColumnChoice>(Bs(), "CBBox_Sitename"), Child<ColumnChoice>(Bs(), "CBBox_Lon"),
              Child<ColumnChoice>(Bs(), "CBBox_Lat"), Child<ColumnChoice>(Bs(), "CBBox_Direct"),
              Child<ColumnChoice>(Bs(), "CBBox_Beamwidth")}) {
            choice->setCurrentIndex(-1);
        }
    }

    void ChooseSampleColumns() {
        Child<ColumnChoice>(Bs(), "CBBox_Beamwidth")
            ->setCurrentIndex(-1);  // the reviewed files draw 45 degrees
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Sitename"), "A:站名");
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Lon"), "B:经度");
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Lat"), "C:纬度");
        Choose(Child<ColumnChoice>(Bs(), "CBBox_Direct"), "D:方向角");
    }

    void ChooseCaseColumns() { ChooseSampleColumns(); }

    QStringList Texts() {
        QStringList texts;
        for (const QComboBox* choice :
             {Child<ColumnChoice>(Bs(), "CBBox_Sitename"), Child<ColumnChoice>(Bs(), "CBBox_Lon"),
              Child<ColumnChoice>(Bs(), "CBBox_Lat"), Child<ColumnChoice>(Bs(), "CBBox_Direct"),
              Child<ColumnChoice>(Bs(), "CBBox_Beamwidth")}) {
            texts << choice->currentText();
        }
        return texts;
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
    QList<int> progressSeen_;
    bool progressWithoutWaitCursor_ = false;
};

ORVANE_GUI_TEST_MAIN(BsWindowTest)
#include "BsWindowTest.moc"
