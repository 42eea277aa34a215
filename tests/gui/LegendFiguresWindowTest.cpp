// The drive-test and CQT windows' output options and legend figures, driven offscreen: the
// request the options give, the count and share columns, the figures after a conversion, the
// choices kept for the next run, and the histogram exported as PNG.

#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "common/ProductInfo.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmCQT.h"
#include "windows/FrmDT.h"
#include "windows/LegendPanel.h"
#include "windows/ThemeChart.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Levels -70, -80, -80, -90: by hand, the default four grades of 5 dB hold 1, 0, 2 and 1.
const QByteArray kLog =
    "Time\tLON\tLAT\tLevel\r\n08:00:00\t113.0\t25.0\t-90\r\n"
    "08:00:01\t113.0001\t25.0\t-80\r\n08:00:02\t113.0002\t25.0\t-80\r\n"
    "08:00:03\t113.0003\t25.0\t-70\r\n";
const QByteArray kTable =
    "name,lon,lat,level\np1,113,25,-90\np2,113.001,25,-80\n"
    "p3,113.002,25,-80\np4,113.003,25,-70\n";

QStringList Column(const QTableWidget& table, int column) {
    QStringList texts;
    for (int row = 0; row < table.rowCount(); ++row) {
        texts << (table.item(row, column) ? table.item(row, column)->text() : QString());
    }
    return texts;
}

}  // namespace

class LegendFiguresWindowTest : public QObject {
    Q_OBJECT
  public:
    explicit LegendFiguresWindowTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        QSettings(kProductTitle, kProductTitle).clear();
        dialogs_ = ScriptedDialogs{};
        temporary_ = std::make_unique<QTemporaryDir>();
        dir_ = QDir(temporary_->path());
        StartDesktop();
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
        temporary_.reset();
    }

    void driveTestOptionsGiveTheRequestAndFiguresAreCountedAndKept() {
        TFrmDT& dt = desktop_->FrmDT();
        dt.show();
        WriteFile(dir_.filePath("log.txt"), kLog);
        dialogs_.openPaths.push_back(dir_.filePath("log.txt"));
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton3"), Qt::LeftButton);
        Child<QComboBox>(dt, "CBoxFNList")->setCurrentIndex(3);
        // The times allowed classes only, so the class page stays active: -70, -80, -90.
        QTRY_COMPARE(Column(*Child<QTableWidget>(dt, "StringGrid0"), 2),
                     QStringList({"1", "2", "1"}));
        Child<QTabWidget>(dt, "PageControl2")->setCurrentIndex(1);
        auto* grades = Child<QTableWidget>(dt, "StringGrid1");
        QTRY_COMPARE(Column(*grades, 3), QStringList({"1", "0", "2", "1"}));
        QCOMPARE(Column(*grades, 4), QStringList({"25.0%", "0.0%", "50.0%", "25.0%"}));
        // A range narrowed by hand leaves -70 outside the legend.
        grades->item(3, 2)->setText("-72");
        QTRY_COMPARE(Column(*grades, 3), QStringList({"1", "0", "2", "0"}));
        QCOMPARE(Child<QLabel>(dt, "LegendOutsideCount")->text(),
                 QString("不在图例范围内：1个点，25.0%"));

        const DtConversionRequest plain = dt.Request();
        QVERIFY(!plain.legendFolders && !plain.legendOverlay && !plain.time);
        QCOMPARE(plain.sampleSpacing, 0);
        auto* folders = Child<QCheckBox>(dt, "ChkLegendFolders");
        Child<QCheckBox>(dt, "ChkMergeLines")->setChecked(true);
        QVERIFY(folders->isChecked() && !folders->isEnabled());
        Child<QCheckBox>(dt, "ChkLegendOverlay")->setChecked(true);
        Child<QComboBox>(dt, "CBoxTimeField")->setCurrentText("Time");
        Child<QLineEdit>(dt, "EdtTimeDate")->setText("2026-12-09");
        Child<QComboBox>(dt, "CBoxUtcOffset")->setCurrentText("+08:00");
        Child<QCheckBox>(dt, "ChkSamples")->setChecked(true);
        Child<QSpinBox>(dt, "SpinSampleSpacing")->setValue(25);
        const DtConversionRequest all = dt.Request();
        QVERIFY(all.legendFolders && all.mergeLines && all.legendOverlay);
        QCOMPARE(all.time->column, 0);
        QCOMPARE(all.time->date, std::string("2026-12-09"));
        QCOMPARE(all.time->utcOffsetMinutes, std::optional<int>(480));
        QCOMPARE(all.sampleSpacing, 25);

        // Folders and the CSV file: the figures follow the summary in the information box.
        Child<QCheckBox>(dt, "ChkMergeLines")->setChecked(false);
        QVERIFY(!folders->isChecked());
        for (const char* name : {"ChkLegendOverlay", "ChkSamples"}) {
            Child<QCheckBox>(dt, name)->setChecked(false);
        }
        Child<QComboBox>(dt, "CBoxTimeField")->setCurrentIndex(0);
        folders->setChecked(true);
        Child<QCheckBox>(dt, "ChkStatsCsv")->setChecked(true);
        QTest::mouseClick(Child<QPushButton>(dt, "Button6"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        const QString csv = dir_.filePath("log_图例统计.csv");
        const QStringList lines = Lines(*Child<QPlainTextEdit>(dt, "Memo0"));
        QVERIFY2(lines.last() == "图例统计已导出：" + csv, qPrintable(lines.join('\n')));
        QVERIFY(lines.at(lines.size() - 2).startsWith("不在图例范围内：1个点，25.0%，"));
        QVERIFY(FileBytes(csv).startsWith("\xEF\xBB\xBF图例项"));
        TakeScreenIfAsked();

        StartDesktop();
        QVERIFY(Child<QCheckBox>(desktop_->FrmDT(), "ChkLegendFolders")->isChecked());
        QVERIFY(Child<QCheckBox>(desktop_->FrmDT(), "ChkStatsCsv")->isChecked());
    }

    void cqtOptionsGiveTheRequestAndFiguresAreCounted() {
        TFrmCQT& cqt = desktop_->FrmCQT();
        cqt.show();
        WriteFile(dir_.filePath("points.csv"), kTable);
        dialogs_.openPaths.push_back(dir_.filePath("points.csv"));
        QTest::mouseClick(Child<QToolButton>(cqt, "SpeedButton9"), Qt::LeftButton);
        auto* theme = Child<ColumnChoice>(cqt, "CBBox_Theme");
        theme->showPopup();
        theme->setCurrentIndex(theme->findText("D:level"));
        theme->hidePopup();
        emit theme->activated(theme->currentIndex());
        QTRY_COMPARE(Column(*Child<QTableWidget>(cqt, "StringGrid3"), 3),
                     QStringList({"1", "0", "2", "1"}));

        QVERIFY(!cqt.Request().legendFolders && !cqt.Request().legendOverlay);
        Child<QCheckBox>(cqt, "ChkLegendFolders")->setChecked(true);
        Child<QCheckBox>(cqt, "ChkLegendOverlay")->setChecked(true);
        QVERIFY(cqt.Request().legendFolders && cqt.Request().legendOverlay);
        TakeScreenIfAsked();
    }

    void chartShowsTheEntriesAndExportsAsPng() {
        TFrmDT& dt = desktop_->FrmDT();
        WriteFile(dir_.filePath("log.txt"), kLog);
        dialogs_.openPaths.push_back(dir_.filePath("log.txt"));
        QTest::mouseClick(Child<QToolButton>(dt, "SpeedButton3"), Qt::LeftButton);
        Child<QComboBox>(dt, "CBoxFNList")->setCurrentIndex(3);
        Child<QTabWidget>(dt, "PageControl2")->setCurrentIndex(1);
        QTest::mouseClick(Child<QPushButton>(dt, "BtnThemeChart"), Qt::LeftButton);
        auto* dialog = Child<ThemeChartDialog>(dt, "ThemeChartDialog");
        const ThemeChartData data = Child<ThemeChart>(*dialog, "ThemeChart")->Data();
        QCOMPARE(data.title, QString("Level"));
        QCOMPARE(data.bars.size(), size_t{3});  // no more bars than distinct values
        QCOMPARE(data.bars[1].parts.at(0).second, std::int64_t{2});
        TakeScreenIfAsked();

        const QString png = dir_.filePath("chart.png");
        dialogs_.savePaths.push_back(png);
        QTest::mouseClick(Child<QPushButton>(*dialog, "BtnExportPng"), Qt::LeftButton);
        const QImage picture(png);
        QCOMPARE(picture.size(), QSize(800, 480));
        QCOMPARE(data.bars[0].parts.at(0).first, ColourOfNumber(DefaultPalette[0]));
        for (size_t bar = 0; bar < data.bars.size(); ++bar) {
            // Low in the bar's left quarter, below the cumulative curve.
            const QRectF rect = ThemeChartBarRect(data, picture.size(), bar);
            const QPoint inside(static_cast<int>(rect.left() + rect.width() / 4),
                                static_cast<int>(rect.bottom() - 4));
            QCOMPARE(picture.pixelColor(inside), data.bars[bar].parts.at(0).first);
        }
    }

  private:
    void StartDesktop() {
        desktop_.reset();
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); },
            dir_.filePath("ColCfg.col"));
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> temporary_;
    QDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(LegendFiguresWindowTest)
#include "LegendFiguresWindowTest.moc"
