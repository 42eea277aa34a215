// The points and MIF windows: what they ask for, what they write, what they report.

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>
#include <string>
#include <vector>

#include <zip.h>

#include "app/Desktop.h"
#include "app/Mainform.h"
#include "common/DesktopSettings.h"
#include "conversions/Pt2kml.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmMIF2KML.h"
#include "windows/FrmPoint.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// What the procedure itself writes for these lines, to compare the window's file with.
QByteArray ExpectedFile(const QString& directory, const QStringList& lines, CoordinateFormat format,
                        const QString& kind) {
    std::vector<std::string> texts;
    for (const QString& line : lines) {
        texts.push_back(line.toStdString());
    }
    const std::vector<std::string_view> views(texts.begin(), texts.end());
    const std::string path = (directory + "/expected.kml").toStdString();
    if (kind == "point") {
        WritePointFile(views, format, path);
    } else if (kind == "line") {
        WriteLineFile(views, format, path);
    } else {
        WritePolygonFile(views, format, path);
    }
    return FileBytes(QString::fromStdString(path));
}

const QByteArray kMif =
    "Version 300\r\nCharset \"WindowsSimpChinese\"\r\nColumns 1\r\n  ID Integer\r\nData\r\n\r\n"
    "Region  1\r\n  4\r\n113.1 25.7\r\n113.2 25.7\r\n113.2 25.8\r\n113.1 25.7\r\n"
    "    Pen (1,2,0)\r\n    Brush (1,0,16777215)\r\n    Center 113.15 25.75\r\n";

}  // namespace

class ConverterWindowsTest : public QObject {
    Q_OBJECT
  public:
    explicit ConverterWindowsTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); });
        QVERIFY(dir_.isValid());
        desktop_->FrmMain().show();
        Point().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Point()));
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
    }

    void exampleBoxFollowsTheCoordinateFormat() {
        QCOMPARE(Point().windowTitle(), QString("离散点数据->KML"));
        QCOMPARE(Child<QPlainTextEdit>(Point(), "MemoDemo")->toPlainText(),
                 QString("25.745336,113.068899\n25.844481,113.068899\n"
                         "25.844481,112.978279\n25.745336,112.978279"));
        QTest::mouseClick(Child<QButtonGroup>(Point(), "RadioButtons")->button(1), Qt::LeftButton);
        QCOMPARE(Child<QPlainTextEdit>(Point(), "MemoDemo")->toPlainText().split('\n').first(),
                 QString("113.068899,25.745336"));
        QTest::mouseClick(Child<QButtonGroup>(Point(), "RadioButtons")->button(2), Qt::LeftButton);
        QCOMPARE(Child<QPlainTextEdit>(Point(), "MemoDemo")->toPlainText().split('\n').last(),
                 QString("112.978279 25.745336"));
        QTest::mouseClick(Child<QButtonGroup>(Point(), "RadioButtons")->button(0), Qt::LeftButton);
        QCOMPARE(Child<QPlainTextEdit>(Point(), "MemoDemo")->toPlainText().split('\n').first(),
                 QString("25.745336,113.068899"));
    }

    void missingOutputOrInputIsAskedForAndNothingIsWritten() {
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText("25.7,113.1");
        QTest::mouseClick(Child<QPushButton>(Point(), "Button2"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages, QStringList({"请选择输出的文件名！"}));

        const QString path = dir_.filePath("empty.kml");
        ChooseOutput(path);
        Child<QPlainTextEdit>(Point(), "Memo1")->clear();
        QTest::mouseClick(Child<QPushButton>(Point(), "Button4"), Qt::LeftButton);
        QCOMPARE(dialogs_.messages,
                 QStringList({"请选择输出的文件名！", "请填入要转换的坐标串！"}));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
    }

    void outputDialogAsksForAKmlFile() {
        ChooseOutput(dir_.filePath("x.kml"));
        QCOMPARE(dialogs_.fileDialogs.size(), 1);
        const FileDialogOptions options = dialogs_.fileDialogs.first();
        QCOMPARE(options.filter, QString("Keyhole Markup Language(*.KML)|*.KML|KMZ(*.KMZ)|*.KMZ"));
        QCOMPARE(options.defaultSuffix, QString("KML"));
        QVERIFY(options.promptOverwrite);
        QCOMPARE(options.directory, QDir::currentPath());
        QCOMPARE(Child<QLineEdit>(Point(), "EdtFName0")->text(), dir_.filePath("x.kml"));

        // Cancelling keeps the chosen path.
        QTest::mouseClick(Child<QToolButton>(Point(), "SpeedButton5"), Qt::LeftButton);
        QCOMPARE(Child<QLineEdit>(Point(), "EdtFName0")->text(), dir_.filePath("x.kml"));
    }

    void writesTheFileOfEachButton_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("points, latitude first")
            << "point" << 0 << "25.745336,113.068899\n 25.8 , 113.1 \n\n"
            << QStringList({"25.745336,113.068899", " 25.8 , 113.1 ", ""});
        QTest::newRow("line, longitude first")
            << "line" << 1 << "113.1,25.7\n113.2,25.8" << QStringList({"113.1,25.7", "113.2,25.8"});
        QTest::newRow("polygon, space between")
            << "polygon" << 2 << "113.1   25.7\n113.2 25.8\n113.3 25.7\n"
            << QStringList({"113.1   25.7", "113.2 25.8", "113.3 25.7"});
    }

    void writesTheFileOfEachButton() {
        QFETCH(QString, kind);
        QFETCH(int, format);
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        const QString path = dir_.filePath(kind + ".kml");
        ChooseOutput(path);
        QTest::mouseClick(Child<QButtonGroup>(Point(), "RadioButtons")->button(format),
                          Qt::LeftButton);
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText(text);
        QPushButton* button = kind == "point"  ? Child<QPushButton>(Point(), "Button2")
                              : kind == "line" ? Child<QPushButton>(Point(), "Button3")
                                               : Child<QPushButton>(Point(), "Button4");
        QTest::mouseClick(button, Qt::LeftButton);

        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList({"完成！"}));
        QCOMPARE(FileBytes(path),
                 ExpectedFile(dir_.path(), lines, static_cast<CoordinateFormat>(format), kind));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({path}));
        // Writing only lists the file; the globe is not touched.
        QVERIFY(globe_->calls.isEmpty());
    }

    void aLongLineStaysOneCoordinateLine() {
        const QString path = dir_.filePath("long.kml");
        ChooseOutput(path);
        const QString longLine = "113.1," + QString(6000, '5');
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText(longLine + "\n113.2,25.8");
        QTest::mouseClick(Child<QButtonGroup>(Point(), "RadioButtons")->button(1), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(Point(), "Button2"), Qt::LeftButton);
        QCOMPARE(FileBytes(path).count("<Placemark>"), 2);
        QVERIFY(FileBytes(path).contains(longLine.toUtf8() + ",0  "));
    }

    void aFileThatCannotBeWrittenIsReportedAndNotListed() {
        const QString path = dir_.filePath("no-such-folder/out.kml");
        ChooseOutput(path);
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText("25.7,113.1");
        QTest::mouseClick(Child<QPushButton>(Point(), "Button4"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors,
                 QStringList({"Cannot create file " + path + "：输出文件所在的目录不存在"}));
        QVERIFY(dialogs_.messages.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    void viewButtonOpensTheWrittenFileOnTheGlobe() {
        const QString path = dir_.filePath("view.kml");
        ChooseOutput(path);
        QTest::mouseClick(Child<QToolButton>(Point(), "SpeedButton8"), Qt::LeftButton);
        QVERIFY(globe_->calls.isEmpty());  // nothing written yet

        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText("25.7,113.1\n25.8,113.2\n25.7,113.3");
        QTest::mouseClick(Child<QPushButton>(Point(), "Button4"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(Point(), "SpeedButton8"), Qt::LeftButton);
        QCOMPARE(globe_->calls,
                 QStringList({"IsInitialized", "Disconnect", "Connect", "GetMainHwnd",
                              "GetRenderHwnd", "OpenKmlFile(" + path + ",1)"}));
        QCOMPARE(globe_->Render()->parentWidget(), Child<QWidget>(Main(), "Panel01"));

        globe_->calls.clear();
        globe_->initialized = 1;
        QTest::mouseClick(Child<QToolButton>(Point(), "SpeedButton8"), Qt::LeftButton);
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "OpenKmlFile(" + path + ",1)"}));
    }

    // The layout chosen in the system parameters reaches the file; a .kmz name gives an
    // archive holding doc.kml.
    void writesKmzAndTheStandardLayoutOfTheSettings() {
        DesktopSettings().SetLayout(KmlLayout::Standard);
        const QString path = dir_.filePath("area.KMZ");
        ChooseOutput(path);
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText("25.7,113.1\n25.8,113.2\n25.7,113.3");
        QTest::mouseClick(Child<QPushButton>(Point(), "Button4"), Qt::LeftButton);
        DesktopSettings().SetLayout(KmlLayout::Fixed);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({path}));
        int error = 0;
        zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_RDONLY, &error);
        QVERIFY(archive != nullptr);
        QCOMPARE(zip_get_num_entries(archive, 0), zip_int64_t{1});
        QCOMPARE(QString(zip_get_name(archive, 0, 0)), QString("doc.kml"));
        QByteArray kml(4096, '\0');
        zip_file_t* entry = zip_fopen(archive, "doc.kml", 0);
        kml.resize(static_cast<int>(zip_fread(entry, kml.data(), kml.size())));
        zip_fclose(entry);
        zip_close(archive);
        QVERIFY(kml.contains("<kml xmlns=\"http://www.opengis.net/kml/2.2\">\n"));
        QVERIFY(kml.contains("<name>Polygon1</name>"));
    }

    // The real save dialog: a name typed without extension takes the chosen filter's.
    void theSaveDialogGivesANameTheExtensionOfTheChosenFilter() {
        DesktopDialogs desktop;
        FileDialogOptions options = KmlFileDialog();
        options.directory = dir_.path();
        for (const bool kmz : {true, false}) {
            QTimer::singleShot(0, this, [this, kmz] {
                auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                QVERIFY(dialog != nullptr);
                QCOMPARE(dialog->nameFilters().size(), 2);
                if (kmz) {  // as the user chooses the second file type
                    auto* types = dialog->findChild<QComboBox*>("fileTypeCombo");
                    QVERIFY(types != nullptr);
                    types->setFocus();
                    QTest::keyClick(types, Qt::Key_Down);
                    QVERIFY(dialog->selectedNameFilter().startsWith("KMZ(*.KMZ)"));
                }
                dialog->selectFile(dir_.filePath("routes"));
                static_cast<QDialog*>(dialog)->accept();  // as the Save button does
            });
            const std::optional<QString> chosen = desktop.SaveFile(&Point(), options);
            QCOMPARE(chosen.value_or(QString()), dir_.filePath(kmz ? "routes.KMZ" : "routes.KML"));
        }
    }

    void closeButtonHidesAndKeepsTheContents() {
        Child<QPlainTextEdit>(Point(), "Memo1")->setPlainText("25.7,113.1");
        QTest::mouseClick(Child<QPushButton>(Point(), "Button1"), Qt::LeftButton);
        QVERIFY(!Point().isVisible());
        Point().show();
        QCOMPARE(Child<QPlainTextEdit>(Point(), "Memo1")->toPlainText(), QString("25.7,113.1"));
    }

    void mifWindowConvertsTheChosenFiles() {
        TFrmMIF2KML& mif = desktop_->FrmMIF2KML();
        QCOMPARE(mif.windowTitle(), QString("转换Mapinfo MIF 为KML格式 "));
        const QString mifPath = dir_.filePath("regions.mif");
        const QString kmlPath = dir_.filePath("regions.kml");
        WriteFile(mifPath, kMif);
        dialogs_.openPaths = {mifPath};
        dialogs_.savePaths = {kmlPath};
        mif.show();
        QTest::mouseClick(Child<QToolButton>(mif, "SpeedButton3"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(mif, "SpeedButton4"), Qt::LeftButton);
        QCOMPARE(dialogs_.fileDialogs[0].filter, QString("Mapinfo Mif File(*.MIF)|*.MIF"));
        QCOMPARE(dialogs_.fileDialogs[0].defaultSuffix, QString("MIF"));
        QCOMPARE(dialogs_.fileDialogs[1].filter,
                 QString("Keyhole Markup Language(*.KML)|*.KML|KMZ(*.KMZ)|*.KMZ"));
        QVERIFY(!dialogs_.fileDialogs[1].promptOverwrite);
        QCOMPARE(Child<QLineEdit>(mif, "LabeledEdit1")->text(), mifPath);
        QCOMPARE(Child<QLineEdit>(mif, "LabeledEdit2")->text(), kmlPath);

        QTest::mouseClick(Child<QPushButton>(mif, "Button1"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(dialogs_.messages, QStringList({"完成！"}));
        const QByteArray kml = FileBytes(kmlPath);
        QCOMPARE(kml.count("<Placemark>"), 1);
        QVERIFY(kml.contains("Region"));
        QVERIFY(kml.contains("113.1,25.7,0 113.2,25.7,0 113.2,25.8,0 113.1,25.7,0 "));
        // The MIF conversion does not list its file.
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
        mif.hide();
    }

    // The standard layout names the regions from the column chosen among those the MIF
    // declares, and the system parameters' decimals round the coordinates.
    void mifWindowNamesRegionsFromTheChosenColumnInTheStandardLayout() {
        TFrmMIF2KML& mif = desktop_->FrmMIF2KML();
        const QString mifPath = dir_.filePath("named.mif");
        const QString kmlPath = dir_.filePath("named.kml");
        QByteArray withNames = kMif;
        withNames.replace("Columns 1\r\n  ID Integer\r\n",
                          "Delimiter \",\"\r\nColumns 3\r\n  ID Integer\r\n  Name Char(10)\r\n"
                          "  Area Char(10)\r\n");
        WriteFile(mifPath, withNames);
        WriteFile(dir_.filePath("named.mid"), "7,\"South\",\"12\"\r\n");
        DesktopSettings().SetLayout(KmlLayout::Standard);
        DesktopSettings().SetCoordinateDigits(1);
        dialogs_.openPaths = {mifPath};
        dialogs_.savePaths = {kmlPath};
        mif.show();
        QTest::mouseClick(Child<QToolButton>(mif, "SpeedButton3"), Qt::LeftButton);
        QTest::mouseClick(Child<QToolButton>(mif, "SpeedButton4"), Qt::LeftButton);
        QCOMPARE(Child<QComboBox>(mif, "CBoxNameColumn")->count(), 3);
        QCOMPARE(Child<QComboBox>(mif, "CBoxNameColumn")->currentText(),
                 QString("Name"));  // the first Char column
        Child<QComboBox>(mif, "CBoxNameColumn")->setCurrentIndex(2);
        QTest::mouseClick(Child<QPushButton>(mif, "Button1"), Qt::LeftButton);
        DesktopSettings().SetLayout(KmlLayout::Fixed);
        DesktopSettings().SetCoordinateDigits(0);
        QCOMPARE(dialogs_.errors, QStringList());
        const QByteArray kml = FileBytes(kmlPath);
        QVERIFY(kml.contains("<name>12</name>"));
        QVERIFY(kml.contains("<SimpleData name=\"Name\">South</SimpleData>"));
        QVERIFY(kml.contains("113.1,25.7,0 113.2,25.7,0 113.2,25.8,0 113.1,25.7,0<"));
        mif.hide();
    }

    void mifWindowReportsMissingFilesWithoutSuccess() {
        TFrmMIF2KML& mif = desktop_->FrmMIF2KML();
        mif.show();
        QTest::mouseClick(Child<QPushButton>(mif, "Button1"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file "}));

        const QString mifPath = dir_.filePath("ok.mif");
        WriteFile(mifPath, kMif);
        dialogs_.openPaths = {mifPath};
        QTest::mouseClick(Child<QToolButton>(mif, "SpeedButton3"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(mif, "Button1"), Qt::LeftButton);
        QCOMPARE(dialogs_.errors, QStringList({"Cannot open file ", "Cannot create file "}));
        QVERIFY(dialogs_.messages.isEmpty());
        mif.hide();
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }
    TFrmPoint& Point() { return desktop_->FrmPoint(); }

    void ChooseOutput(const QString& path) {
        dialogs_.savePaths.push_back(path);
        QTest::mouseClick(Child<QToolButton>(Point(), "SpeedButton5"), Qt::LeftButton);
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(ConverterWindowsTest)
#include "ConverterWindowsTest.moc"
