// The legend panel and the scheme dialog, driven offscreen with scripted dialogs.

#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

#include "common/Errors.h"
#include "core/TestFiles.h"
#include "gui/ScriptedDialogs.h"
#include "windows/FrmColorCfg.h"
#include "windows/LegendPanel.h"

using namespace orvane;

namespace {

using Texts = std::vector<std::string>;

ThemeFieldScan Scan(const Texts& values) {
    return ScanThemeField(values, DtNumberTest);
}

Texts Numbered(int count) {
    Texts values;
    for (int i = 0; i < count; ++i) {
        values.push_back(std::to_string(i) + "v");
    }
    return values;
}

Texts Numbers(int count) {
    Texts values;
    for (int i = 0; i < count; ++i) {
        values.push_back(std::to_string(i));
    }
    return values;
}

// A panel with the window controls it works with.
struct PanelUnderTest {
    explicit PanelUnderTest(LegendWindow window, const std::string& colourFile = "")
        : colorCfg(QString::fromStdString(colourFile), dialogs),
          panel(window, dialogs, colorCfg, &host) {
        generate = new QPushButton("生成KML文件", &host);
        theme = new QComboBox(&host);
        theme->addItem("Level");
        panel.AttachWindowControls(generate, theme);
        host.resize(400, 500);
        panel.resize(400, 500);
        host.show();
    }

    template <typename T>
    T* Find(const char* name) {
        T* child = panel.findChild<T*>(name);
        if (child == nullptr) {
            qFatal("no child %s", name);
        }
        return child;
    }
    QTabWidget* Pages(const char* name) { return Find<QTabWidget>(name); }
    QString Cell(const char* table, int row, int column) {
        QTableWidgetItem* item = Find<QTableWidget>(table)->item(row, column);
        return item ? item->text() : QString("<none>");
    }

    test::ScriptedDialogs dialogs;
    QWidget host;
    TFrmColorCfg colorCfg;
    LegendPanel panel;
    QPushButton* generate;
    QComboBox* theme;
};

// Runs `answer` once the scheme dialog is shown modally.
void WhenDialogShows(TFrmColorCfg& dialog, std::function<void()> answer) {
    QTimer::singleShot(0, &dialog, [&dialog, answer = std::move(answer)] {
        QVERIFY(dialog.isVisible());
        answer();
    });
}

void Confirm(TFrmColorCfg& dialog, const QString& name) {
    dialog.findChild<QLineEdit*>("EdtColorName")->setText(name);
    QTest::mouseClick(dialog.findChild<QPushButton*>("Button1"), Qt::LeftButton);
}

}  // namespace

class LegendPanelTest : public QObject {
    Q_OBJECT

  private slots:
    void createsTheComponentsOfEitherWindow();
    void pagesFollowTheScan();
    void onlyTheDriveTestWindowLetsSettingsFollowThePage();
    void aSourceWithoutRecordsStillAllowsGenerating();
    void gradeCountResizesAndDefaultComputationFills();
    void typingGoesThroughTheNumberFilterAndCheck();
    void boundaryLabelFollowsTheModeInTheDriveTestWindowOnly();
    void colourCellsOpenTheColourDialogAndDrawTheirNumber();
    void legendReflectsTheTablesAndActivePage();
    void savedSchemeLoadsInTheOtherWindow();
    void schemeDialogWantsANameAndCanBeCancelled();
    void unreadableSchemeFilesAreReported();
    void aFailedSaveIsReportedWithoutTheDoneMessage();
    void editedRangesStayWithTheirFieldAndValuesLeftOutAreCounted();
};

void LegendPanelTest::createsTheComponentsOfEitherWindow() {
    PanelUnderTest dt(LegendWindow::DriveTest);
    QCOMPARE(dt.Pages("PageControl2")->currentIndex(), 1);
    QCOMPARE(dt.Pages("PageControl2")->tabText(0), QString("分类方式"));
    QCOMPARE(dt.Pages("PageControl2")->tabText(1), QString("分级方式"));
    QCOMPARE(dt.Find<QSpinBox>("CSpinEdit1")->value(), 4);
    QCOMPARE(dt.Find<QSpinBox>("CSpinEdit1")->minimum(), 2);
    QCOMPARE(dt.Find<QSpinBox>("CSpinEdit1")->maximum(), 100);
    QCOMPARE(dt.Find<QLabel>("Label12")->text(), QString("左值 <=\u3000X\u3000<  右值"));
    QCOMPARE(dt.Find<QTableWidget>("StringGrid1")->toolTip(), QString("右键保存配置"));
    QCOMPARE(dt.Find<QTableWidget>("StringGrid1")->horizontalHeaderItem(1)->text(),
             QString("左值(小)"));
    QVERIFY(dt.Find<QTableWidget>("StringGrid0") != nullptr);
    QVERIFY(dt.Find<QGroupBox>("GroupBox5") != nullptr);
    QVERIFY(dt.Find<QGroupBox>("RadioGroup2") != nullptr);
    QVERIFY(dt.panel.findChild<QAction*>("N1") != nullptr);
    QVERIFY(dt.panel.findChild<QAction*>("N2") != nullptr);

    PanelUnderTest cqt(LegendWindow::Cqt);
    QCOMPARE(cqt.Pages("PageControl3")->currentIndex(), 1);
    QCOMPARE(cqt.Find<QLabel>("Label21")->text(), QString("左值≤\u3000X\u3000＜右值"));
    QCOMPARE(cqt.Find<QTableWidget>("StringGrid3")->toolTip(), QString("右銉保存配置"));
    QVERIFY(cqt.Find<QTableWidget>("StringGrid2") != nullptr);
    QVERIFY(cqt.Find<QSpinBox>("CSpinEdit2") != nullptr);
    QVERIFY(cqt.Find<QGroupBox>("GroupBox7") != nullptr);
    QVERIFY(cqt.Find<QGroupBox>("RadioGroup3") != nullptr);
}

void LegendPanelTest::pagesFollowTheScan() {
    PanelUnderTest t(LegendWindow::DriveTest);
    QTabWidget* pages = t.Pages("PageControl2");
    QGroupBox* settings = t.Find<QGroupBox>("GroupBox5");

    // Both kinds: both pages, the grading page stays active.
    t.panel.ChooseThemeField([] { return Scan({"-70", "-80", "-90"}); });
    QVERIFY(pages->isTabVisible(0) && pages->isTabVisible(1));
    QCOMPARE(t.panel.ActiveKind(), LegendKind::Grading);
    QVERIFY(!settings->isHidden());
    QVERIFY(t.generate->isEnabled());
    QCOMPARE(t.Find<QTableWidget>("StringGrid0")->rowCount(), 3);
    QCOMPARE(t.Cell("StringGrid0", 1, 1), QString("-80"));
    QCOMPARE(t.Cell("StringGrid0", 1, 0), QString("16711680"));

    // Classification only: the grading page and the settings hide, classification is active.
    t.panel.ChooseThemeField([] { return Scan({"abc", "ABC", "x"}); });
    QVERIFY(pages->isTabVisible(0));
    QVERIFY(!pages->isTabVisible(1));
    QVERIFY(settings->isHidden());
    QCOMPARE(t.panel.ActiveKind(), LegendKind::Classification);
    QCOMPARE(t.Find<QTableWidget>("StringGrid0")->rowCount(), 2);
    QVERIFY(t.generate->isEnabled());

    // Neither: both pages hidden and nothing to generate.
    t.panel.ChooseThemeField([] { return Scan(Numbered(17)); });
    QVERIFY(!pages->isTabVisible(0));
    QVERIFY(!pages->isTabVisible(1));
    QVERIFY(settings->isHidden());
    QVERIFY(!t.generate->isEnabled());

    // Grading only: the shown page becomes active since the active one is hidden.
    t.panel.ChooseThemeField([] { return Scan(Numbers(17)); });
    QVERIFY(!pages->isTabVisible(0));
    QVERIFY(pages->isTabVisible(1));
    QCOMPARE(t.panel.ActiveKind(), LegendKind::Grading);
    QVERIFY(!settings->isHidden());

    // Both again: the classification page is shown but does not become active.
    t.panel.ChooseThemeField([] { return Scan({"1", "2"}); });
    QVERIFY(pages->isTabVisible(0));
    QCOMPARE(t.panel.ActiveKind(), LegendKind::Grading);
    QCOMPARE(pages->currentIndex(), 1);
}

void LegendPanelTest::onlyTheDriveTestWindowLetsSettingsFollowThePage() {
    PanelUnderTest dt(LegendWindow::DriveTest);
    dt.panel.ChooseThemeField([] { return Scan({"1", "2"}); });
    dt.Pages("PageControl2")->setCurrentIndex(0);
    QVERIFY(dt.Find<QGroupBox>("GroupBox5")->isHidden());
    QCOMPARE(dt.panel.ActiveKind(), LegendKind::Classification);
    dt.Pages("PageControl2")->setCurrentIndex(1);
    QVERIFY(!dt.Find<QGroupBox>("GroupBox5")->isHidden());

    PanelUnderTest cqt(LegendWindow::Cqt);
    cqt.panel.ChooseThemeField([] { return Scan({"1", "2"}); });
    cqt.Pages("PageControl3")->setCurrentIndex(0);
    QVERIFY(!cqt.Find<QGroupBox>("GroupBox7")->isHidden());
    QCOMPARE(cqt.panel.ActiveKind(), LegendKind::Classification);
}

void LegendPanelTest::aSourceWithoutRecordsStillAllowsGenerating() {
    PanelUnderTest t(LegendWindow::Cqt);
    t.panel.ChooseThemeField([] { return Scan({}); });
    QVERIFY(t.generate->isEnabled());
    QCOMPARE(t.Find<QTableWidget>("StringGrid2")->rowCount(), 0);
    QCOMPARE(t.Cell("StringGrid3", 0, 1), QString("2147483647"));
    QCOMPARE(t.Cell("StringGrid3", 3, 2), QString("-2147483647"));
}

void LegendPanelTest::gradeCountResizesAndDefaultComputationFills() {
    PanelUnderTest t(LegendWindow::DriveTest);
    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    QCOMPARE(t.Find<QTableWidget>("StringGrid1")->rowCount(), 4);
    QCOMPARE(t.Cell("StringGrid1", 3, 1), QString("0.75"));

    t.Find<QSpinBox>("CSpinEdit1")->setValue(6);
    QCOMPARE(t.Find<QTableWidget>("StringGrid1")->rowCount(), 6);
    QCOMPARE(t.Cell("StringGrid1", 3, 1), QString("0.75"));  // not recomputed
    QCOMPARE(t.Cell("StringGrid1", 5, 1), QString());
    try {
        LegendRanges(t.panel.Legend());
        QFAIL("blank bounds were accepted");
    } catch (const Error& error) {
        QCOMPARE(QString(error.what()), QString("'' is not a valid floating point value"));
    }

    QTest::mouseClick(t.panel.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    QCOMPARE(t.Cell("StringGrid1", 5, 2), QString("1"));
    QCOMPARE(t.Cell("StringGrid1", 1, 1), QString("0.17"));
    QCOMPARE(LegendRanges(t.panel.Legend()).size(), size_t{6});

    t.Find<QSpinBox>("CSpinEdit1")->setValue(2);
    QCOMPARE(t.Find<QTableWidget>("StringGrid1")->rowCount(), 2);
}

void LegendPanelTest::typingGoesThroughTheNumberFilterAndCheck() {
    PanelUnderTest t(LegendWindow::DriveTest);
    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    QTableWidget* grid = t.Find<QTableWidget>("StringGrid1");
    grid->setFocus();
    grid->editItem(grid->item(1, 1));
    auto* editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->clear();

    QTest::keyClicks(editor, "1x-");  // the letter is filtered out
    QCOMPARE(editor->text(), QString("1-"));
    QTest::keyClick(editor, '2');
    QCOMPARE(editor->text(), QString("0"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(t.Cell("StringGrid1", 1, 1), QString("0"));

    grid->editItem(grid->item(2, 2));
    editor = grid->viewport()->findChild<QLineEdit*>();
    QVERIFY(editor != nullptr);
    editor->clear();
    QTest::keyClicks(editor, "-");
    QCOMPARE(editor->text(), QString("-"));  // a lone sign waits for digits
    QTest::keyClicks(editor, "1.5");
    QTest::keyClick(editor, Qt::Key_Return);
    QTRY_COMPARE(t.Cell("StringGrid1", 2, 2), QString("-1.5"));
}

void LegendPanelTest::boundaryLabelFollowsTheModeInTheDriveTestWindowOnly() {
    PanelUnderTest dt(LegendWindow::DriveTest);
    auto buttons = dt.Find<QGroupBox>("RadioGroup2")->findChildren<QRadioButton*>();
    QCOMPARE(buttons.size(), 3);
    QCOMPARE(buttons[2]->text(), QString("左右值"));
    QTest::mouseClick(buttons[1], Qt::LeftButton);
    QCOMPARE(dt.Find<QLabel>("Label12")->text(), QString("左值 <\u3000X <=  右值"));
    QCOMPARE(dt.panel.Legend().boundaryMode, BoundaryMode::RightInclusive);
    QTest::mouseClick(buttons[2], Qt::LeftButton);
    QCOMPARE(dt.Find<QLabel>("Label12")->text(), QString("左值 <= X <=  右值"));
    QTest::mouseClick(buttons[0], Qt::LeftButton);
    QCOMPARE(dt.Find<QLabel>("Label12")->text(), QString("左值 <= X\u3000<  右值"));

    PanelUnderTest cqt(LegendWindow::Cqt);
    auto cqtButtons = cqt.Find<QGroupBox>("RadioGroup3")->findChildren<QRadioButton*>();
    QTest::mouseClick(cqtButtons[2], Qt::LeftButton);
    QCOMPARE(cqt.Find<QLabel>("Label21")->text(), QString("左值≤\u3000X\u3000＜右值"));
    QCOMPARE(cqt.panel.Legend().boundaryMode, BoundaryMode::BothInclusive);
}

void LegendPanelTest::colourCellsOpenTheColourDialogAndDrawTheirNumber() {
    PanelUnderTest t(LegendWindow::DriveTest);
    t.panel.ChooseThemeField([] { return Scan({"1", "2"}); });
    QTableWidget* grid = t.Find<QTableWidget>("StringGrid1");
    const auto press = [&](QTableWidget* table, int row, int column) {
        const QRect cell = table->visualRect(table->model()->index(row, column));
        QTest::mousePress(table->viewport(), Qt::LeftButton, {}, cell.center());
    };

    t.dialogs.colours.push_back(QColor(255, 0, 0));
    press(grid, 2, 0);
    QCOMPARE(t.Cell("StringGrid1", 2, 0), QString("255"));
    t.dialogs.colours.push_back(std::nullopt);  // cancelled: unchanged
    press(grid, 1, 0);
    QCOMPARE(t.Cell("StringGrid1", 1, 0), QString("16711680"));

    // A bound cell is left to the table; the dialog is not asked.
    t.dialogs.colours.push_back(QColor(0, 0, 255));
    press(grid, 1, 1);
    QCOMPARE(t.dialogs.colours.size(), size_t{1});

    // The classification table takes colours too.
    t.Pages("PageControl2")->setCurrentIndex(0);
    press(t.Find<QTableWidget>("StringGrid0"), 0, 0);
    QCOMPARE(t.Cell("StringGrid0", 0, 0), QString("16711680"));

    QCOMPARE(ColourOfCellText("255"), QColor(255, 0, 0));
    QCOMPARE(ColourOfCellText("65280"), QColor(0, 255, 0));
    QCOMPARE(ColourOfCellText("1.5"), QColor(255, 255, 255));
    QCOMPARE(ColourOfCellText(""), QColor(255, 255, 255));
    QCOMPARE(NumberOfColour(QColor(0, 0, 255)), 16711680);
}

void LegendPanelTest::legendReflectsTheTablesAndActivePage() {
    PanelUnderTest t(LegendWindow::DriveTest);
    t.panel.ChooseThemeField([] { return Scan({"b", "a"}); });
    ThematicLegend legend = t.panel.Legend();
    QCOMPARE(legend.kind, LegendKind::Classification);
    QCOMPARE(LegendColors(legend), (std::vector<std::string>{"65280", "16711680"}));
    QCOMPARE(legend.classEntries[1].value, std::string("b"));
    QCOMPARE(FindClassEntry(legend.scan, "B"), 1);

    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    legend = t.panel.Legend();
    QCOMPARE(legend.kind, LegendKind::Classification);  // still the active page
    t.Pages("PageControl2")->setCurrentIndex(1);
    legend = t.panel.Legend();
    QCOMPARE(legend.kind, LegendKind::Grading);
    QCOMPARE(legend.gradeCount, 4);
    QCOMPARE(FindGradeEntry(LegendRanges(legend), legend.boundaryMode, "0.3"), 1);
}

void LegendPanelTest::savedSchemeLoadsInTheOtherWindow() {
    test::TempDir dir;
    const std::string file = dir.File("ColCfg.col");
    PanelUnderTest dt(LegendWindow::DriveTest, file);
    dt.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    dt.Find<QSpinBox>("CSpinEdit1")->setValue(6);
    dt.panel.findChild<QPushButton*>("Button2")->click();

    // Save: the name box offers the theme field's name.
    WhenDialogShows(dt.colorCfg, [&] {
        QCOMPARE(dt.colorCfg.findChild<QPushButton*>("Button1")->text(), QString("保存"));
        QCOMPARE(dt.colorCfg.SchemeName(), QString("Level"));
        Confirm(dt.colorCfg, "Level");
    });
    dt.panel.N2Click();
    QCOMPARE(dt.dialogs.messages, QStringList{"保存完毕!"});
    QVERIFY(test::ReadBytes(file).find("\n  <ColorConfig") != std::string::npos);

    PanelUnderTest cqt(LegendWindow::Cqt, file);
    cqt.panel.ChooseThemeField([] { return Scan({"5", "9"}); });
    WhenDialogShows(cqt.colorCfg, [&] {
        QCOMPARE(cqt.colorCfg.findChild<QPushButton*>("Button1")->text(), QString("确定"));
        QListWidget* list = cqt.colorCfg.findChild<QListWidget*>("ListBox1");
        QCOMPARE(list->count(), 1);
        QCOMPARE(cqt.colorCfg.SchemeName(), QString());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                          list->visualItemRect(list->item(0)).center());
        QCOMPARE(cqt.colorCfg.SchemeName(), QString("Level"));
        QTest::mouseClick(cqt.colorCfg.findChild<QPushButton*>("Button1"), Qt::LeftButton);
    });
    cqt.panel.N1Click();
    QCOMPARE(cqt.Find<QSpinBox>("CSpinEdit2")->value(), 6);
    QCOMPARE(cqt.Find<QTableWidget>("StringGrid3")->rowCount(), 6);
    QCOMPARE(cqt.panel.GradeRows(), dt.panel.GradeRows());
    QVERIFY(cqt.dialogs.errors.isEmpty());

    // The CQT window writes without whitespace; the drive-test window reads it.
    WhenDialogShows(cqt.colorCfg, [&] { Confirm(cqt.colorCfg, "速度"); });
    cqt.panel.N2Click();
    QVERIFY(test::ReadBytes(file).find("<ORVANE_Config_File><ColorConfig") != std::string::npos);
    WhenDialogShows(dt.colorCfg, [&] { Confirm(dt.colorCfg, "速度"); });
    dt.panel.N1Click();
    QCOMPARE(dt.panel.GradeRows(), cqt.panel.GradeRows());
}

void LegendPanelTest::schemeDialogWantsANameAndCanBeCancelled() {
    test::TempDir dir;
    PanelUnderTest t(LegendWindow::DriveTest, dir.File("ColCfg.col"));
    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    WhenDialogShows(t.colorCfg, [&] {
        Confirm(t.colorCfg, "");
        QVERIFY(t.colorCfg.isVisible());  // no name: the dialog stays
        QTest::mouseClick(t.colorCfg.findChild<QPushButton*>("Button2"), Qt::LeftButton);
    });
    t.panel.N2Click();
    QVERIFY(t.dialogs.messages.isEmpty());
    QVERIFY(!QFile::exists(QString::fromStdString(dir.File("ColCfg.col"))));

    // Loading from an absent file reports that it cannot be opened and changes nothing.
    const std::vector<LegendEntry> before = t.panel.GradeRows();
    WhenDialogShows(t.colorCfg, [&] { Confirm(t.colorCfg, "Level"); });
    t.panel.N1Click();
    QCOMPARE(t.dialogs.errors.size(), 1);
    QVERIFY(t.dialogs.errors[0].startsWith("Cannot open file "));
    QCOMPARE(t.panel.GradeRows(), before);
}

void LegendPanelTest::unreadableSchemeFilesAreReported() {
    test::TempDir dir;
    const std::string file = dir.File("ColCfg.col");
    test::WriteBytes(file, "<ORVANE_Config_File><ColorConfig");
    PanelUnderTest t(LegendWindow::Cqt, file);
    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    bool shown = false;
    QTimer::singleShot(0, &t.colorCfg, [&] {
        shown = t.colorCfg.isVisible();
        t.colorCfg.reject();
    });
    t.panel.N1Click();
    t.panel.N2Click();
    QCoreApplication::processEvents();
    QVERIFY(!shown);
    QCOMPARE(t.dialogs.errors.size(), 2);
    QVERIFY(t.dialogs.errors[0].contains("格式不正确"));
    QCOMPARE(test::ReadBytes(file), std::string("<ORVANE_Config_File><ColorConfig"));
}

void LegendPanelTest::aFailedSaveIsReportedWithoutTheDoneMessage() {
    test::TempDir dir;
    test::WriteBytes(dir.File("plain"), "a file where a folder should be");
    const std::string file = dir.File("plain") + "/ColCfg.col";
    PanelUnderTest t(LegendWindow::DriveTest, file);
    t.panel.ChooseThemeField([] { return Scan({"0", "1"}); });
    WhenDialogShows(t.colorCfg, [&] { Confirm(t.colorCfg, "Level"); });
    t.panel.N2Click();
    QCOMPARE(t.dialogs.errors, QStringList{QString::fromStdString("Cannot create file " + file) +
                                           "：输出文件所在的目录不存在"});
    QVERIFY(t.dialogs.messages.isEmpty());
}

void LegendPanelTest::editedRangesStayWithTheirFieldAndValuesLeftOutAreCounted() {
    PanelUnderTest t(LegendWindow::Cqt);
    t.theme->addItem("Quality");
    auto* grid = t.Find<QTableWidget>("StringGrid3");
    auto* hint = t.Find<QLabel>("OutsideRangeHint");
    t.panel.ChooseThemeField([] { return Scan(Numbers(10)); });
    QCoreApplication::processEvents();
    QVERIFY(hint->isHidden());  // the default grading colours every value
    const QString defaultLeft = t.Cell("StringGrid3", 0, 1);

    grid->item(0, 1)->setText("3");  // 0, 1 and 2 now fall below the first range
    QCoreApplication::processEvents();
    QCOMPARE(hint->text(), QString("3个值不在任何分级范围内"));
    QVERIFY(!hint->isHidden());

    t.theme->setCurrentIndex(1);
    t.panel.ChooseThemeField([] { return Scan(Numbers(10)); });
    QCoreApplication::processEvents();
    QCOMPARE(t.Cell("StringGrid3", 0, 1), defaultLeft);
    QVERIFY(hint->isHidden());

    t.theme->setCurrentIndex(0);
    t.Find<QSpinBox>("CSpinEdit2")->setValue(2);  // the other field's count does not matter
    t.panel.ChooseThemeField([] { return Scan(Numbers(10)); });
    QCoreApplication::processEvents();
    QCOMPARE(grid->rowCount(), 4);
    QCOMPARE(t.Cell("StringGrid3", 0, 1), QString("3"));
    QCOMPARE(hint->text(), QString("3个值不在任何分级范围内"));
}

QTEST_MAIN(LegendPanelTest)
#include "LegendPanelTest.moc"
