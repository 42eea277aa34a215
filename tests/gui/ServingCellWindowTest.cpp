// The drive-test window's serving-cell analysis, driven offscreen on the sample route and
// base-station table: the group and its choices, the conversion, the "小区统计" window (its
// rows, sorting, filter and export) and the double-click that flies the globe to a cell.

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSortFilterProxyModel>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "common/ProductInfo.h"
#include "conversions/Dt2kml.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmDT.h"
#include "windows/FrmServingReport.h"
#include "windows/ServingCellGroup.h"
#include "workbooks/WorksheetSource.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kLog = QStringLiteral(ORVANE_EXAMPLES "/dt-route.txt");
const QString kTable = QStringLiteral(ORVANE_EXAMPLES "/serving-cells.csv");

// The report the procedures themselves make of the request with the sample table bound as
// orvane-convert binds it from the README's command, as CSV; the KML goes to `kmlPath`.
QByteArray ProcedureReport(DtConversionRequest request, const QString& kmlPath) {
    WorksheetSource source;
    source.OpenWorkbook(kTable.toStdString());
    const CellTable cells = CellTable::Read(
        source,
        {.site = 1, .longitude = 3, .latitude = 4, .azimuth = 5, .beamwidth = 6, .keys = {2}});
    ServingCellReport report;
    request.outPath = kmlPath.toStdString();
    request.serving = ServingCellOptions{.cells = &cells, .keyFields = {5}, .report = &report};
    ConvertDtToKml(request);
    return QByteArray::fromStdString(ServingReportCsv(report));
}

QStringList RowTexts(const QAbstractItemModel& model, int row) {
    QStringList texts;
    for (int column = 0; column < model.columnCount(); ++column) {
        texts << model.index(row, column).data().toString();
    }
    return texts;
}

}  // namespace

class ServingCellWindowTest : public QObject {
    Q_OBJECT
  public:
    explicit ServingCellWindowTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        temporary_ = std::make_unique<QTemporaryDir>();
        QVERIFY(temporary_->isValid());
        dir_ = QDir(temporary_->path());
        globe_ = std::make_unique<RecordedGlobe>();
        // Each case starts from no remembered choice.
        QSettings(kProductTitle, kProductTitle).remove("ServingCells");
        StartDesktop();
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        temporary_.reset();
    }

    void groupIsOffUntilCheckedAndAsksForItsTable() {
        ServingCellGroup& group = *Child<ServingCellGroup>(Dt(), "GroupServing");
        QCOMPARE(group.title(), QString("服务小区分析"));
        QVERIFY(group.isCheckable());
        QVERIFY(!group.isChecked());
        QVERIFY(!Child<QComboBox>(group, "CBoxCellSite")->isEnabled());
        QCOMPARE(Child<QSpinBox>(group, "SpinSpacing")->value(), 50);
        QCOMPARE(Child<QSpinBox>(group, "SpinRank")->value(), 3);
        OpenLog();
        // The log's fields are offered as keys; the second key may be none.
        QCOMPARE(Items(*Child<QComboBox>(group, "CBoxLogKey1")),
                 QStringList({"时间", "经度", "纬度", "场强", "质量", "小区", "速度"}));
        QCOMPARE(Items(*Child<QComboBox>(group, "CBoxLogKey2")).first(), QString());

        group.setChecked(true);
        Generate();
        QCOMPARE(dialogs_.messages, QStringList{"请打开服务小区分析的基站表!"});
        QVERIFY(!QFile::exists(dir_.filePath("route.kml")));
        QVERIFY(!Report().isVisible());
    }

    void conversionListsTheReportAndFliesToADoubleClickedCell() {
        OpenLog();
        SetUpAnalysis();
        // The columns are found by their headers, the log's key field by the key column's.
        ServingCellGroup& group = *Child<ServingCellGroup>(Dt(), "GroupServing");
        QCOMPARE(Items(*Child<QComboBox>(group, "CbBoxCellsSheet")), QStringList{"serving-cells"});
        QCOMPARE(Child<QComboBox>(group, "CBoxCellSite")->currentText(), QString("A:站名"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellLon")->currentText(), QString("C:经度"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellLat")->currentText(), QString("D:纬度"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellAzimuth")->currentText(), QString("E:方向角"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellBeamwidth")->currentText(),
                 QString("F:波束宽度"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellKey1")->currentText(), QString("B:小区"));
        QCOMPARE(Child<QComboBox>(group, "CBoxCellKey2")->currentText(), QString());
        QCOMPARE(Child<QComboBox>(group, "CBoxLogKey1")->currentText(), QString("小区"));

        Generate();
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList{"导出完成."});
        QVERIFY(Lines(*Child<QPlainTextEdit>(Dt(), "Memo0")).contains("1个小区疑似天馈接反:南湖3"));
        const QByteArray csv = ProcedureReport(Dt().Request(), dir_.filePath("procedure.kml"));
        QCOMPARE(FileBytes(dir_.filePath("route.kml")), FileBytes(dir_.filePath("procedure.kml")));

        // One row per line of the CSV, in its order, with its texts.
        TFrmServingReport& report = Report();
        QVERIFY(report.isVisible());
        QCOMPARE(report.windowTitle(), QString("小区统计"));
        const QAbstractItemModel& rows = *Child<QTableView>(report, "GridCells")->model();
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(rows.rowCount(), lines.size() - 1);
        for (int row = 0; row < rows.rowCount(); ++row) {
            QCOMPARE(RowTexts(rows, row).join(','), lines[row + 1]);
        }
        QCOMPARE(rows.headerData(4, Qt::Horizontal).toString(), QString("场强最小值"));
        QVERIFY(Child<QLabel>(report, "LabelSummary")->text().startsWith("采样点3000个"));

        // Sorted by samples as numbers, fewest first.
        Child<QTableView>(report, "GridCells")->sortByColumn(2, Qt::AscendingOrder);
        QVERIFY(rows.index(0, 2).data().toInt() <= rows.index(1, 2).data().toInt());
        QVERIFY(rows.index(1, 2).data().toInt() <=
                rows.index(rows.rowCount() - 1, 2).data().toInt());

        ChooseVerdict("越区覆盖");
        QCOMPARE(rows.rowCount(), 1);
        QCOMPARE(rows.index(0, 0).data().toString(), QString("北区2"));
        ChooseVerdict("疑似天馈接反");
        QCOMPARE(rows.rowCount(), 1);
        QCOMPARE(rows.index(0, 0).data().toString(), QString("南湖3"));

        const QRect cell = Child<QTableView>(report, "GridCells")->visualRect(rows.index(0, 0));
        QTest::mouseClick(Child<QTableView>(report, "GridCells")->viewport(), Qt::LeftButton, {},
                          cell.center());
        QTest::mouseDClick(Child<QTableView>(report, "GridCells")->viewport(), Qt::LeftButton, {},
                           cell.center());
        QCOMPARE(dialogs_.errors, QStringList());
        QVERIFY2(globe_->calls.last().startsWith("SetCameraParams(25.822,112.985,0,"),
                 qPrintable(globe_->calls.last()));

        ChooseVerdict("全部");
        QCOMPARE(rows.rowCount(), lines.size() - 1);
        const QString exported = dir_.filePath("cells.csv");
        dialogs_.savePaths.push_back(exported);
        QTest::mouseClick(Child<QPushButton>(report, "BtnExport"), Qt::LeftButton);
        QCOMPARE(dialogs_.fileDialogs.last().fileName, dir_.filePath("route_小区统计.csv"));
        QCOMPARE(FileBytes(exported), csv);
        QCOMPARE(dialogs_.messages.last(), "小区统计已导出：" + exported);
    }

    void choicesAreRememberedForTheNextRun() {
        OpenLog();
        SetUpAnalysis();
        Child<QSpinBox>(Child<ServingCellGroup>(Dt(), "GroupServing"), "SpinSpacing")
            ->setValue(120);
        Child<QSpinBox>(Child<ServingCellGroup>(Dt(), "GroupServing"), "SpinRank")->setValue(4);
        Generate();
        QCOMPARE(dialogs_.errors, QStringList());

        desktop_.reset();
        StartDesktop();
        ServingCellGroup& group = *Child<ServingCellGroup>(Dt(), "GroupServing");
        QVERIFY(!group.isChecked());
        QCOMPARE(Child<QSpinBox>(group, "SpinSpacing")->value(), 120);
        QCOMPARE(Child<QSpinBox>(group, "SpinRank")->value(), 4);
        group.setChecked(true);
        QCOMPARE(Child<QLineEdit>(group, "EdtCellsFName")->text(), kTable);
        QCOMPARE(Child<QComboBox>(group, "CBoxCellKey1")->currentText(), QString("B:小区"));
        OpenLog();
        QCOMPARE(Child<QComboBox>(group, "CBoxLogKey1")->currentText(), QString("小区"));
        QVERIFY(!group.MissingChoice());
    }

  private:
    TFrmDT& Dt() { return desktop_->FrmDT(); }
    TFrmServingReport& Report() { return *Child<TFrmServingReport>(Dt(), "FrmServingReport"); }

    void StartDesktop() {
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); },
            dir_.filePath("ColCfg.col"));
        desktop_->FrmMain().show();
        QVERIFY(QTest::qWaitForWindowExposed(&desktop_->FrmMain()));
        Dt().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Dt()));
    }

    // The sample log, coloured by 场强, written into the test's folder.
    void OpenLog() {
        dialogs_.openPaths.push_back(kLog);
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton3"), Qt::LeftButton);
        dialogs_.savePaths.push_back(dir_.filePath("route.kml"));
        QTest::mouseClick(Child<QToolButton>(Dt(), "SpeedButton4"), Qt::LeftButton);
        Child<QComboBox>(Dt(), "CBoxFNList")
            ->setCurrentIndex(Child<QComboBox>(Dt(), "CBoxFNList")->findText("场强"));
    }

    void SetUpAnalysis() {
        Child<ServingCellGroup>(Dt(), "GroupServing")->setChecked(true);
        dialogs_.openPaths.push_back(kTable);
        QTest::mouseClick(
            Child<QToolButton>(Child<ServingCellGroup>(Dt(), "GroupServing"), "BtnOpenCells"),
            Qt::LeftButton);
    }

    void Generate() {
        dialogs_.messages.clear();
        QTest::mouseClick(Child<QPushButton>(Dt(), "Button6"), Qt::LeftButton);
    }

    void ChooseVerdict(const QString& verdict) {
        Child<QComboBox>(Report(), "CBoxVerdict")
            ->setCurrentIndex(Child<QComboBox>(Report(), "CBoxVerdict")->findText(verdict));
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(ServingCellWindowTest)
#include "ServingCellWindowTest.moc"
