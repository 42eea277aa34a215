#pragma once

#include <QApplication>
#include <QByteArray>
#include <QComboBox>
#include <QCursor>
#include <QFile>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QString>
#include <QTreeWidget>
#include <QtTest>

#include "conversions/Conversion.h"
#include "gui/WindowControls.h"

namespace orvane::test {

inline QByteArray FileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll();
}

// What the conversion itself writes for a window's request, to compare the window's file
// with; the command line's tests compare that with the reviewed files.
template <typename Request>
QByteArray ProcedureOutput(Request request, const QString& path,
                           ConversionSummary (*convert)(const Request&,
                                                        const ConversionObserver&)) {
    request.outPath = path.toStdString();
    convert(request, {});
    return FileBytes(path);
}

// Notes each value the conversion's progress bar takes in `seen`, and sets
// `withoutWaitCursor` when one above 0 is shown without the wait cursor.
inline void WatchProgress(QProgressBar* bar, QObject* context, QList<int>& seen,
                          bool& withoutWaitCursor) {
    QObject::connect(
        bar, &QProgressBar::valueChanged, context, [&seen, &withoutWaitCursor](int value) {
            seen << value;
            const QCursor* cursor = QApplication::overrideCursor();
            if (value > 0 && (cursor == nullptr || cursor->shape() != Qt::WaitCursor)) {
                withoutWaitCursor = true;
            }
        });
}

inline void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

inline QStringList TopLevelTexts(const QTreeWidget& tree) {
    QStringList texts;
    for (int i = 0; i < tree.topLevelItemCount(); ++i) {
        texts << tree.topLevelItem(i)->text(0);
    }
    return texts;
}

inline QStringList Items(const QComboBox& box) {
    QStringList items;
    for (int i = 0; i < box.count(); ++i) {
        items << box.itemText(i);
    }
    return items;
}

// The lines of an information box; none when it is empty.
inline QStringList Lines(const QPlainTextEdit& memo) {
    const QString text = memo.toPlainText();
    return text.isEmpty() ? QStringList() : text.split('\n');
}

// Clicks (or double-clicks) the tree's top-level item with this text, as a user would.
inline void ClickItem(QTreeWidget& tree, const QString& text, bool twice = false) {
    const QList<QTreeWidgetItem*> found = tree.findItems(text, Qt::MatchExactly);
    QVERIFY2(!found.isEmpty(), qPrintable(text));
    tree.scrollToItem(found.first());
    const QPoint centre = tree.visualItemRect(found.first()).center();
    QTest::mouseClick(tree.viewport(), Qt::LeftButton, {}, centre);
    if (twice) {
        QTest::mouseDClick(tree.viewport(), Qt::LeftButton, {}, centre);
    }
}

// Takes the screen into the file ORVANE_SCREENSHOT names, when it names one (the pictures
// in docs/ are made so), once the map has had time to finish drawing.
inline void TakeScreenIfAsked() {
    const QString shot = qEnvironmentVariable("ORVANE_SCREENSHOT");
    if (!shot.isEmpty()) {
        QTest::qWait(1500);
        QCOMPARE(QProcess::execute("import", {"-window", "root", shot}), 0);
    }
}

}  // namespace orvane::test
