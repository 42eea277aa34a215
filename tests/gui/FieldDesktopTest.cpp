// The desktop around the globe, offscreen against the recording globe: the check boxes and
// context menu of "可加载文件", files written again, the popped-out globe window, the file
// type filters and Qt's own texts in Chinese.

#include <QAction>
#include <QColorDialog>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolBox>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>
#include <memory>

#include "app/Desktop.h"
#include "app/LoadableFileList.h"
#include "app/Mainform.h"
#include "common/Dialogs.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"

using namespace orvane;
using namespace orvane::test;

namespace {

QStringList ButtonTexts(const QWidget& dialog) {
    QStringList texts;
    for (const QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
        if (!button->text().isEmpty()) {
            texts << button->text();
        }
    }
    return texts;
}

}  // namespace

class FieldDesktopTest : public QObject {
    Q_OBJECT
  public:
    explicit FieldDesktopTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        globe_ = std::make_unique<RecordedGlobe>();
        desktop_ = std::make_unique<Desktop>(
            dialogs_, [this] { return std::make_unique<RecordingApplicationGE>(*globe_); });
        Main().show();
        QVERIFY(QTest::qWaitForWindowExposed(&Main()));
        Child<QToolBox>(Main(), "GroupBar")->setCurrentIndex(2);
        QVERIFY(dir_.isValid());
        first_ = dir_.filePath("first.kml");
        second_ = dir_.filePath("second.kml");
        WriteFile(first_, "<kml/>");
        WriteFile(second_, "<kml/>");
        Main().AddLoadableFile(first_);
        Main().AddLoadableFile(second_);
    }

    void cleanup() {
        desktop_.reset();
        globe_.reset();
    }

    // Ticked means shown on the globe, whichever way the file got there or left it.
    void checkBoxesShowHideAndFollowTheGlobe() {
        QCOMPARE(CheckStates(), QList<Qt::CheckState>({Qt::Unchecked, Qt::Unchecked}));
        QVERIFY(globe_->calls.isEmpty());

        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), first_, true);
        QCOMPARE(CheckStates(), QList<Qt::CheckState>({Qt::Checked, Qt::Unchecked}));

        globe_->calls.clear();
        Item(first_)->setCheckState(0, Qt::Unchecked);
        QCOMPARE(globe_->calls, QStringList({"SetKmlFileVisible(" + first_ + ",0)"}));
        QVERIFY(!globe_->files.front().visible);
        Item(first_)->setCheckState(0, Qt::Checked);
        QVERIFY(globe_->files.front().visible);

        // Ticking a file that is not on the globe opens it there, as a double-click does.
        globe_->calls.clear();
        Item(second_)->setCheckState(0, Qt::Checked);
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "OpenKmlFile(" + second_ + ",1)"}));
        QCOMPARE(CheckStates(), QList<Qt::CheckState>({Qt::Checked, Qt::Checked}));

        // A file that is gone cannot be shown: its box stays empty.
        const QString gone = dir_.filePath("gone.kml");
        Main().AddLoadableFile(gone);
        Item(gone)->setCheckState(0, Qt::Checked);
        QCOMPARE(Item(gone)->checkState(0), Qt::Unchecked);

        // Another window opening a file, and the globe closing, move the boxes too.
        Item(first_)->setCheckState(0, Qt::Unchecked);
        Main().AppGE0().OpenKmlFile(first_, 1);
        QCOMPARE(Item(first_)->checkState(0), Qt::Checked);
        globe_->Window()->close();
        QCOMPARE(CheckStates().count(Qt::Checked), 0);
    }

    void contextMenuLocatesReloadsAndRemoves() {
        LoadableFileList& list = Main().LoadableFiles();
        const QRect entry = Child<QTreeWidget>(Main(), "TreeView2")->visualItemRect(Item(first_));
        emit Child<QTreeWidget>(Main(), "TreeView2")->customContextMenuRequested(entry.center());
        QVERIFY(list.PopupMenu->isVisible());
        QStringList texts;
        for (const QAction* action : list.PopupMenu->actions()) {
            if (action->isVisible()) {
                texts << action->text();
            }
        }
        QCOMPARE(texts, QStringList({"定位", "重新载入", "从地球移除"}));
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->currentItem(), Item(first_));
        list.PopupMenu->hide();

        // Locating a file not on the globe opens it; a hidden one is shown and brought into view.
        list.Locate->trigger();
        QVERIFY(globe_->calls.contains("OpenKmlFile(" + first_ + ",1)"));
        Item(first_)->setCheckState(0, Qt::Unchecked);
        globe_->calls.clear();
        list.Locate->trigger();
        QCOMPARE(globe_->calls, QStringList({"IsInitialized", "SetKmlFileVisible(" + first_ + ",1)",
                                             "FlyToKmlFile(" + first_ + ")"}));
        QCOMPARE(Item(first_)->checkState(0), Qt::Checked);

        globe_->calls.clear();
        list.Reload->trigger();
        QCOMPARE(globe_->calls, QStringList({"ReloadKmlFile(" + first_ + ")"}));

        globe_->calls.clear();
        list.Remove->trigger();
        QCOMPARE(globe_->calls, QStringList({"RemoveKmlFile(" + first_ + ")"}));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")), QStringList({second_}));
        QVERIFY(globe_->files.isEmpty());

        // Off the globe, a file is only taken off the list.
        Child<QTreeWidget>(Main(), "TreeView2")->setCurrentItem(Item(second_));
        globe_->calls.clear();
        list.Remove->trigger();
        QVERIFY(globe_->calls.isEmpty());
        QCOMPARE(Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(), 0);
    }

    // A file already on the globe when it is listed (opened from elsewhere) stays shown.
    void aFileListedAfterItWasOpenedIsTicked() {
        const QString third = dir_.filePath("third.kml");
        WriteFile(third, "<kml/>");
        Main().AppGE0().OpenKmlFile(third, 1);
        globe_->calls.clear();
        Main().AddLoadableFile(third);
        QCOMPARE(Item(third)->checkState(0), Qt::Checked);
        QVERIFY(globe_->calls.isEmpty());
        QVERIFY(globe_->files.front().visible);
    }

    void aFileWrittenAgainIsReloadedOnTheGlobeNotListedTwice() {
        Main().AddLoadableFile(first_);  // not on the globe: nothing to reload
        QVERIFY(globe_->calls.isEmpty());
        Main().OpenOnGlobe(first_);
        globe_->calls.clear();
        Main().AddLoadableFile(first_);
        QCOMPARE(globe_->calls, QStringList({"ReloadKmlFile(" + first_ + ")"}));
        QCOMPARE(TopLevelTexts(*Child<QTreeWidget>(Main(), "TreeView2")),
                 QStringList({first_, second_}));
        QCOMPARE(globe_->files.size(), 1);
    }

    void poppedOutGlobeOpensWhereTheMapWasAndKeepsItsPlace() {
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QTest::mouseClick(Child<QPushButton>(Main(), "Button1"), Qt::LeftButton);
        QWidget* window = globe_->Window();
        QVERIFY(window->isVisible());
        QCOMPARE(window->geometry(),
                 QRect(Child<QWidget>(Main(), "Panel01")->mapToGlobal(QPoint(0, 0)),
                       Child<QWidget>(Main(), "Panel01")->size()));
        QCOMPARE(window->windowIcon().cacheKey(), QApplication::windowIcon().cacheKey());
        QVERIFY(!QApplication::windowIcon().isNull());

        const QRect moved(40, 30, 500, 400);
        window->setGeometry(moved);
        QTest::mouseClick(Child<QPushButton>(Main(), "Button2"), Qt::LeftButton);
        QVERIFY(!window->isVisible());
        QTest::mouseClick(Child<QPushButton>(Main(), "Button1"), Qt::LeftButton);
        QCOMPARE(window->geometry(), moved);
    }

    void fileTypeFiltersNameTheirPatternsOnce() {
        QCOMPARE(QtNameFilter("Mapinfo Mif File(*.MIF)|*.MIF"), QString("Mapinfo Mif File(*.MIF)"));
        QCOMPARE(QtNameFilter("Keyhole Markup Language(*.KML)|*.KML"),
                 QString("Keyhole Markup Language(*.KML)"));
        QCOMPARE(QtNameFilter("表格|*.xls;*.xlsx|文本文件(*.txt)|*.txt"),
                 QString("表格 (*.xls *.xlsx);;文本文件(*.txt)"));
        QCOMPARE(QtNameFilter("Excel(*.xls)|*.xls;*.xlsx"), QString("Excel(*.xls) (*.xls *.xlsx)"));
    }

    void qtSpeaksChinese() {
        QMessageBox box(QMessageBox::Question, "", "", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QString("是(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QString("否(&N)"));

        QFileDialog dialog(nullptr, "", dir_.path(), QtNameFilter(KmlFileDialog().filter));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        QStringList labels;
        for (const QLabel* label : dialog.findChildren<QLabel*>()) {
            labels << label->text();
        }
        QVERIFY2(ButtonTexts(dialog).contains("保存(&S)"),
                 qPrintable(ButtonTexts(dialog).join('|')));
        QVERIFY2(ButtonTexts(dialog).contains("取消"), qPrintable(ButtonTexts(dialog).join('|')));
        QVERIFY2(labels.contains("文件类型："), qPrintable(labels.join('|')));

        QColorDialog colours;
        colours.setOption(QColorDialog::DontUseNativeDialog);
        QVERIFY(ButtonTexts(colours).contains("确定"));
        QVERIFY(ButtonTexts(colours).contains("取消"));
        QVERIFY(!ButtonTexts(colours).contains("&Add to Custom Colors"));
    }

    // A file's folders are a tree of boxes: unticking one hides it, the file's box is partly
    // ticked, and the folder stays hidden when the file is read again; "定位" on a folder
    // fits the view to it; a file being read shows its progress and can be cancelled.
    void foldersShowAsATreeAndStayHiddenAcrossAReload() {
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), first_, true);
        LoadedKmlFile& file = *globe_->FindFile(first_);
        file.folders = {{"sites", -1, true}, {"A", 0, true}, {"lines", -1, true}};
        globe_->FilesChanged();
        QTreeWidgetItem* first = Item(first_);
        QCOMPARE(first->childCount(), 2);
        QTreeWidgetItem* siteA = first->child(0)->child(0);
        QCOMPARE(siteA->text(0), QString("A"));
        siteA->setCheckState(0, Qt::Unchecked);
        QVERIFY(!file.folders[1].visible);
        QCOMPARE(first->checkState(0), Qt::PartiallyChecked);

        Child<QTreeWidget>(Main(), "TreeView2")->setCurrentItem(Item(first_));
        Main().LoadableFiles().Reload->trigger();
        QVERIFY(!globe_->FindFile(first_)->folders[1].visible);
        QCOMPARE(Item(first_)->child(0)->child(0)->checkState(0), Qt::Unchecked);
        QCOMPARE(Item(first_)->checkState(0), Qt::PartiallyChecked);

        Child<QTreeWidget>(Main(), "TreeView2")->setCurrentItem(Item(first_)->child(0)->child(0));
        Main().LoadableFiles().Locate->trigger();
        QVERIFY(globe_->calls.contains(QString("FlyToKmlFolder(%1,1)").arg(first_)));
        QCOMPARE(Item(first_)->checkState(0), Qt::Checked);

        globe_->files.append({second_, true, 40, {}, std::nullopt});
        globe_->FilesChanged();
        QCOMPARE(Item(second_)->text(1), QString("40%"));
        QToolButton* cancel = Child<QToolButton>(Main(), "CancelLoadButton");
        QVERIFY(cancel->isVisible());
        cancel->click();
        QVERIFY(globe_->calls.contains(QString("CancelKmlFileLoad(%1)").arg(second_)));
        QVERIFY(!cancel->isVisible());
    }

    // A timed file on the globe brings the time bar under the map: the globe draws the window
    // ending at the slider's time, the whole time so far or the chosen minutes; playing moves
    // the slider on; without timed files the bar goes and the globe draws everything.
    void aTimedFileBringsTheTimeSlider() {
        auto* bar = Child<QWidget>(Main(), "TimeBar");
        QVERIFY(!bar->isVisible());
        ClickItem(*Child<QTreeWidget>(Main(), "TreeView2"), first_, true);
        const std::int64_t start = 1'800'000'000'000;
        globe_->FindFile(first_)->times = KmlTimeWindow{start, start + 1000 * 60000};
        globe_->FilesChanged();
        QVERIFY(bar->isVisible());
        QCOMPARE(globe_->timeWindow, (KmlTimeWindow{start, start + 1000 * 60000}));
        Child<QComboBox>(Main(), "TimeWidth")->setCurrentText("5分钟");
        auto* slider = Child<QSlider>(Main(), "TimeSlider");
        slider->setValue(slider->maximum() / 2);
        QCOMPARE(globe_->timeWindow, (KmlTimeWindow{start + 495 * 60000, start + 500 * 60000}));
        auto* play = Child<QToolButton>(Main(), "TimePlay");
        play->click();
        QCOMPARE(play->text(), QString("暂停"));
        QTRY_VERIFY(globe_->timeWindow->end > start + 500 * 60000);
        play->click();
        QCOMPARE(play->text(), QString("播放"));
        globe_->FindFile(first_)->times.reset();
        globe_->FilesChanged();
        QVERIFY(!bar->isVisible());
        QCOMPARE(globe_->timeWindow, std::nullopt);
    }

  private:
    TFrmMain& Main() { return desktop_->FrmMain(); }

    QTreeWidgetItem* Item(const QString& path) {
        const QList<QTreeWidgetItem*> found =
            Child<QTreeWidget>(Main(), "TreeView2")->findItems(path, Qt::MatchExactly);
        return found.isEmpty() ? nullptr : found.first();
    }

    QList<Qt::CheckState> CheckStates() {
        QList<Qt::CheckState> states;
        for (int i = 0; i < Child<QTreeWidget>(Main(), "TreeView2")->topLevelItemCount(); ++i) {
            states << Child<QTreeWidget>(Main(), "TreeView2")->topLevelItem(i)->checkState(0);
        }
        return states;
    }

    ScriptedDialogs& dialogs_;
    QTemporaryDir dir_;
    QString first_;
    QString second_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<Desktop> desktop_;
};

ORVANE_GUI_TEST_MAIN(FieldDesktopTest)
#include "FieldDesktopTest.moc"
