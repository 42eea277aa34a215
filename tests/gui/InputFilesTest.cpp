// Files from outside the program (command line, another start, drops) reach the right window.

#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>
#include <deque>
#include <memory>

#include "app/Desktop.h"
#include "app/InputFiles.h"
#include "app/Mainform.h"
#include "app/TableKindDialog.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"
#include "windows/FrmBS.h"
#include "windows/FrmCQT.h"
#include "windows/FrmDT.h"
#include "windows/FrmMIF2KML.h"

using namespace orvane;
using namespace orvane::test;

namespace {

const QString kExamples = QStringLiteral(ORVANE_EXAMPLES);

// A stand-in for a table window: records the files it was given.
struct TableWindow {
    QWidget window;
    QStringList chosen;
    InputFileWindow Entry() {
        return {&window, [this](const QString& path) { chosen << path; }};
    }
};

// Runs `check` on the modal window once it is shown, then closes it with `button`.
void WhenShown(QDialog& dialog, QAbstractButton* button, std::function<void()> check) {
    QTimer::singleShot(0, &dialog, [&dialog, button, check] {
        QTRY_VERIFY(dialog.isVisible());
        check();
        button->click();
    });
}

}  // namespace

class InputFilesTest : public QObject {
    Q_OBJECT
  public:
    explicit InputFilesTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); });
        kinds_.clear();
        asked_.clear();
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
    }

    void cleanup() {
        opener_.reset();
        desktop_.reset();
        globe_.reset();
    }

    void kmlAndKmzAreListedAndShownOnTheGlobe() {
        const QString kml = kExamples + "/regions.kml";
        const QString kmz = dir_.filePath("Upper.KMZ");
        WriteFile(kmz, "PK");
        MakeOpener().Open({kml, kmz, kml});
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({kml, kmz}));
        // The globe is embedded once, then each file opens.
        QCOMPARE(globe_->calls.filter("OpenKmlFile"),
                 QStringList({"OpenKmlFile(" + kml + ",1)", "OpenKmlFile(" + kmz + ",1)",
                              "OpenKmlFile(" + kml + ",1)"}));
        QCOMPARE(globe_->calls.count("Connect"), 1);
        QVERIFY(Main().GeRenderWindow->parentWidget() == Child<QWidget>(Main(), "Panel01"));
        QVERIFY(dialogs_.messages.isEmpty());
    }

    void aDriveTestLogOpensTheDtWindowWithItsHeaderRead() {
        const QString log = kExamples + "/dt-route.txt";
        MakeOpener().Open({log});
        TFrmDT& dt = desktop_->FrmDT();
        QVERIFY(dt.isVisible());
        QCOMPARE(Child<QLineEdit>(dt, "EdtDtFName")->text(), log);
        QCOMPARE(Child<QLineEdit>(dt, "EdtFName2")->text(), kExamples + "/dt-route.kml");
        QCOMPARE(Child<QComboBox>(dt, "CBox_Long")->currentText(), QString("经度"));
        QCOMPARE(Child<QComboBox>(dt, "CBox_Lat")->currentText(), QString("纬度"));
        QCOMPARE(Child<QComboBox>(dt, "CBoxFNList")->count(), 7);
        QVERIFY(dialogs_.fileDialogs.isEmpty());
        QVERIFY(globe_->calls.isEmpty());
    }

    void aMifFileOpensTheMifWindowModallyAndLaterFilesWaitForIt() {
        const QString mif = kExamples + "/regions.mif";
        const QString kml = kExamples + "/regions.kml";
        InputFileOpener& opener = MakeOpener();
        TFrmMIF2KML& window = desktop_->FrmMIF2KML();
        bool wasModal = false;
        int listedWhileModal = -1;
        WhenShown(window, Child<QPushButton>(window, "Button2"), [&] {
            wasModal = window.isModal();
            QCOMPARE(Child<QLineEdit>(window, "LabeledEdit1")->text(), mif);
            opener.Open({kml});
            listedWhileModal = Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount();
        });
        opener.Open({mif});
        QVERIFY(wasModal);
        QCOMPARE(window.MifFileName, mif);
        QCOMPARE(listedWhileModal, 0);
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({kml}));
    }

    void aTableAsksItsKindAndOpensThatWindow() {
        TableWindow bs;
        TableWindow cqt;
        InputFileWindows windows = desktop_->InputWindows();
        windows.FrmBS = bs.Entry();
        windows.FrmCQT = cqt.Entry();
        const QString xlsx = kExamples + "/bs-table.xlsx";
        const QString xls = kExamples + "/cqt-table.xls";
        const QString csv = dir_.filePath("sites.CSV");
        WriteFile(csv, "a,b\n");
        kinds_ = {TableKind::BaseStation, TableKind::Cqt, std::nullopt};
        MakeOpener(windows).Open({xlsx, xls, csv});
        QCOMPARE(asked_, QStringList({xlsx, xls, csv}));
        QCOMPARE(bs.chosen, QStringList({xlsx}));
        QCOMPARE(cqt.chosen, QStringList({xls}));
        QVERIFY(bs.window.isVisible());
        QVERIFY(cqt.window.isVisible());
        QVERIFY(dialogs_.messages.isEmpty());

        // A kind whose window does not exist yet is reported.
        windows.FrmCQT = {};
        kinds_ = {TableKind::Cqt};
        opener_.reset();
        MakeOpener(windows).Open({xls});
        QCOMPARE(dialogs_.messages, QStringList({"暂不支持打开CQT数据表：" + xls}));
    }

    void tablesReachTheBaseStationAndCqtWindows() {
        const QString bsTable = kExamples + "/bs-table.xlsx";
        const QString cqtTable = kExamples + "/cqt-table.xlsx";
        kinds_ = {TableKind::BaseStation, TableKind::Cqt};
        MakeOpener().Open({bsTable, cqtTable});
        QVERIFY(desktop_->FrmBS().isVisible());
        QCOMPARE(QString::fromStdString(desktop_->FrmBS().Source().path()), bsTable);
        QVERIFY(desktop_->FrmCQT().isVisible());
        QCOMPARE(QString::fromStdString(desktop_->FrmCQT().Source().path()), cqtTable);
    }

    void problemsAreReportedTogetherAndTheOtherFilesOpen() {
        const QString missing = dir_.filePath("missing.kml");
        const QString unknown = dir_.filePath("notes.doc");
        WriteFile(unknown, "x");
        const QString table = kExamples + "/bs-table.xls";
        const QString kml = kExamples + "/regions.kml";
        InputFileWindows windows = desktop_->InputWindows();
        windows.FrmBS = {};
        windows.FrmCQT = {};
        MakeOpener(windows).Open({missing, dir_.path(), unknown, table, kml});
        // Neither table window exists here: nothing is asked.
        QVERIFY(asked_.isEmpty());
        QCOMPARE(dialogs_.messages,
                 QStringList({"找不到文件：" + missing + "\n不是文件，是文件夹：" + dir_.path() +
                              "\n不能打开此类文件：" + unknown +
                              "（可打开 KML、KMZ、MIF、TXT、XLS、XLSX、CSV 文件）"
                              "\n暂不支持打开基站表和CQT数据表：" +
                              table}));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({kml}));
    }

    void aFileThatFailsToReadIsReportedAndTheNextOpens() {
        const QString empty = dir_.filePath("empty.txt");
        WriteFile(empty, "");
        const QString kml = kExamples + "/regions.kml";
        MakeOpener().Open({empty, kml});
        QCOMPARE(dialogs_.errors, QStringList({"List index out of bounds (0)"}));
        QVERIFY(desktop_->FrmDT().isVisible());
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({kml}));
    }

    void dropsOpenLikeCommandLineFiles() {
        MakeOpener();
        const QString kml = kExamples + "/regions.kml";
        QMimeData files;
        files.setUrls({QUrl::fromLocalFile(kml), QUrl("https://example.org/a.kml")});
        QMimeData remote;
        remote.setUrls({QUrl("https://example.org/a.kml")});
        const QPoint inside = Main().rect().center();

        QDragEnterEvent refused(inside, Qt::CopyAction, &remote, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &refused);
        QVERIFY(!refused.isAccepted());

        QDragEnterEvent enter(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(inside, Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&Main(), &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({kml}));
        QVERIFY(globe_->calls.contains("OpenKmlFile(" + kml + ",1)"));
    }

    void theKindDialogOffersBaseStationOrCqt() {
        struct Answer {
            bool cqt;
            bool accept;
            std::optional<TableKind> kind;
        };
        for (const Answer& answer :
             {Answer{true, true, TableKind::Cqt}, Answer{false, true, TableKind::BaseStation},
              Answer{true, false, std::nullopt}}) {
            QTimer::singleShot(0, [answer] {
                QTRY_VERIFY(qobject_cast<TableKindDialog*>(QApplication::activeModalWidget()));
                auto* dialog = qobject_cast<TableKindDialog*>(QApplication::activeModalWidget());
                QVERIFY(Child<QRadioButton>(dialog, "BaseStationChoice")->isChecked());
                if (answer.cqt) {
                    Child<QRadioButton>(dialog, "CqtChoice")->click();
                }
                answer.accept ? dialog->accept() : dialog->reject();
            });
            QCOMPARE(AskTableKind(&Main(), "/data/t.xlsx"), answer.kind);
        }
    }

    void argumentsBecomeAbsoluteLocalPaths() {
        const QString cwd = QDir::currentPath();
        QCOMPARE(LocalFilesFromArguments(
                     {"a.kml", "", "file:///data/x%20y.kml", "/data/sub/../b.kml", "c/./d.mif"}),
                 QStringList({cwd + "/a.kml", "/data/x y.kml", "/data/b.kml", cwd + "/c/d.mif"}));
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    InputFileOpener& MakeOpener() { return MakeOpener(desktop_->InputWindows()); }

    InputFileOpener& MakeOpener(InputFileWindows windows) {
        opener_ = std::make_unique<InputFileOpener>(
            Main(), std::move(windows), dialogs_,
            [this](QWidget*, const QString& path) -> std::optional<TableKind> {
                asked_ << path;
                if (kinds_.empty()) {
                    return std::nullopt;
                }
                const std::optional<TableKind> kind = kinds_.front();
                kinds_.pop_front();
                return kind;
            });
        return *opener_;
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
    std::unique_ptr<InputFileOpener> opener_;
    std::deque<std::optional<TableKind>> kinds_;
    QStringList asked_;
};

ORVANE_GUI_TEST_MAIN(InputFilesTest)
#include "InputFilesTest.moc"
