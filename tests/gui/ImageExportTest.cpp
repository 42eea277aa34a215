// "保存平面影像为..." against the recording globe: what the export asks of the globe, the
// bitmap, the .TAB and the world file it writes, and how it reports what it cannot write.

#include <QDir>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>
#include <memory>

#include "app/Mainform.h"
#include "tests/gui/GuiHelpers.h"
#include "tests/gui/GuiTestMain.h"
#include "tests/gui/RecordingApplicationGE.h"

using namespace orvane;
using namespace orvane::test;

namespace {

// Corners with a negative longitude and latitude: the view spans -0.5 to 114.75 east and
// -0.5 to 30.125 north.
IPointOnTerrainGE Corner(double screenX, double screenY) {
    return {screenY > 0 ? 30.125 : -0.5, screenX < 0 ? -0.5 : 114.75};
}

QByteArray ExpectedTable(const QByteArray& fileName, int width, int height) {
    const QByteArray w = QByteArray::number(width);
    const QByteArray h = QByteArray::number(height);
    return "!table\r\n!version 300\r\n!charset WindowsSimpChinese\r\n\r\nDefinition Table\r\n"
           "  File \"" +
           fileName +
           "\"\r\n"
           "  Type \"RASTER\"\r\n"
           "  (-0.50000000,30.12500000) (0,0) Label \"Pt 1\",\r\n"
           "  (-0.50000000,-0.50000000) (0," +
           h +
           ") Label \"Pt 2\",\r\n"
           "  (114.75000000,30.12500000) (" +
           w +
           ", 0) Label \"Pt 3\",\r\n"
           "  (114.75000000,-0.50000000) (" +
           w + "," + h +
           ") Label \"Pt 4\"\r\n"
           "  CoordSys Earth Projection 1, 104\r\n"
           "  Units \"degree\"\r\n";
}

struct BitmapHeader {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0;
};

BitmapHeader HeaderOf(const QByteArray& bytes) {
    if (bytes.size() < 30 || !bytes.startsWith("BM")) {
        return {};
    }
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    return {qFromLittleEndian<qint32>(data + 18), qAbs(qFromLittleEndian<qint32>(data + 22)),
            qFromLittleEndian<quint16>(data + 28)};
}

}  // namespace

class ImageExportTest : public QObject {
    Q_OBJECT
  public:
    explicit ImageExportTest(ScriptedDialogs& dialogs) : dialogs_(dialogs) {}

  private slots:
    void init() {
        dialogs_ = ScriptedDialogs{};
        dir_ = std::make_unique<QTemporaryDir>();
        globe_ = std::make_unique<RecordedGlobe>();
        globe_->camera = {22.5, 113.5, 120.0, AltitudeModeGE::Absolute, 8000.0, 45.0, 30.0};
        globe_->pointOnTerrainAt = Corner;
        main_ =
            std::make_unique<TFrmMain>(dialogs_, std::make_unique<RecordingApplicationGE>(*globe_));
        main_->show();
        QVERIFY(QTest::qWaitForWindowExposed(main_.get()));
        main_->EmbedGoogleEarth();
        // The recorded globe's map is red, so that the picture shows whether it was taken.
        QWidget* render = globe_->Render();
        render->setAutoFillBackground(true);
        QPalette red = render->palette();
        red.setColor(QPalette::Window, Qt::red);
        render->setPalette(red);
        globe_->calls.clear();
    }

    void cleanup() {
        main_.reset();
        globe_.reset();
    }

    void exportFlattensTurnsNorthUpAndRegistersTheBitmap() {
        const QString path = dir_->filePath("区域图.bmp");
        dialogs_.savePaths = {path};
        Export();
        QCOMPARE(dialogs_.errors, QStringList());

        QCOMPARE(globe_->calls,
                 QStringList({"SetElevationExaggeration(0)", "SetProjection(Flat)", "GetCamera(0)",
                              "SetCamera(5)", "HideFloatItems(0)",
                              "ShowFloatItems(overviewmap,compass,navigation,license,scalebar)",
                              "GetPointOnTerrainFromScreenCoords(-1,1)",
                              "GetPointOnTerrainFromScreenCoords(-1,-1)",
                              "GetPointOnTerrainFromScreenCoords(1,1)",
                              "GetPointOnTerrainFromScreenCoords(1,-1)"}));
        // The snapshot is turned north up and straight down; the rest of it is kept.
        const ICameraInfoGE camera = globe_->camera;
        QCOMPARE(camera.Azimuth, 0.0);
        QCOMPARE(camera.Tilt, 0.0);
        QCOMPARE(camera.FocusPointLatitude, 22.5);
        QCOMPARE(camera.Range, 8000.0);
        QCOMPARE(main_->PlaybackCamera.value().Tilt, 0.0);

        QCOMPARE(dialogs_.fileDialogs.size(), 1);
        const FileDialogOptions& options = dialogs_.fileDialogs.first();
        QCOMPARE(options.filter, QString("Windows Bitmap File(*.BMP)|*.BMP"));
        QCOMPARE(options.defaultSuffix, QString("BMP"));
        QVERIFY(options.promptOverwrite);
        QCOMPARE(options.checkBox, QString("保留比例尺"));
        QCOMPARE(Child<QLabel>(*main_, "StatusPane")->text(),
                 QString("已保存：%1、区域图.TAB、区域图.bpw").arg(QDir::toNativeSeparators(path)));

        const int width = Child<QWidget>(main_, "Panel01")->width();
        const int height = Child<QWidget>(main_, "Panel01")->height();
        const QImage picture(path);
        QCOMPARE(picture.size(), Child<QWidget>(main_, "Panel01")->size());
        QCOMPARE(picture.pixelColor(width / 2, height / 2), QColor(Qt::red));
        const BitmapHeader header = HeaderOf(FileBytes(path));
        QCOMPARE(header.width, width);
        QCOMPARE(header.height, height);
        QCOMPARE(header.bitsPerPixel, 24);

        QCOMPARE(FileBytes(dir_->filePath("区域图.TAB")),
                 ExpectedTable("\xC7\xF8\xD3\xF2\xCD\xBC.bmp", width, height));
        const QList<QByteArray> world = FileBytes(dir_->filePath("区域图.bpw")).split('\n');
        QCOMPARE(world.size(), 7);  // six lines, each ending in CR LF
        QCOMPARE(world[0].toDouble(), 115.25 / width);
        QCOMPARE(world[3].toDouble(), -30.625 / height);
    }

    // The scale bar may stay on the picture, a choice of the save dialog kept for the session.
    void theScaleBarStaysWhenChosen() {
        dialogs_.savePaths = {dir_->filePath("a.bmp"), dir_->filePath("b.bmp")};
        dialogs_.checkBoxes = {true};
        Export();
        Export();
        QCOMPARE(
            globe_->calls.filter("FloatItems"),
            QStringList(
                {"HideFloatItems(1)", "ShowFloatItems(overviewmap,compass,navigation,license)",
                 "HideFloatItems(1)", "ShowFloatItems(overviewmap,compass,navigation,license)"}));
    }

    void cancellingKeepsTheFlatNorthUpViewAndWritesNothing() {
        QVERIFY(ProjectionItem("球面")->isChecked());
        Export();
        QCOMPARE(globe_->calls, QStringList({"SetElevationExaggeration(0)", "SetProjection(Flat)",
                                             "GetCamera(0)", "SetCamera(5)"}));
        QCOMPARE(globe_->camera.Azimuth, 0.0);
        QCOMPARE(globe_->elevationExaggeration, 0.0);
        QVERIFY(QDir(dir_->path()).isEmpty());
        // The view menu shows the flat map and brings the globe back.
        QVERIFY(ProjectionItem("平面")->isChecked());
        ProjectionItem("球面")->trigger();
        QCOMPARE(globe_->projection, MapProjection::Spherical);
    }

    void withoutAGlobeNothingHappens() {
        globe_->Window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        globe_->calls.clear();
        Export();
        QCOMPARE(globe_->calls, QStringList());
        QVERIFY(dialogs_.fileDialogs.isEmpty());
    }

    // "D:" is an ordinary folder name here; the files land beside the bitmap all the same.
    void tableLiesBesideTheBitmapAndNamesIt() {
        QVERIFY(QDir(dir_->path()).mkpath("D:/maps"));
        dialogs_.savePaths = {dir_->filePath("D:/maps/area.bmp")};
        Export();
        QCOMPARE(dialogs_.errors, QStringList());
        QCOMPARE(QDir(dir_->filePath("D:/maps")).entryList(QDir::Files),
                 QStringList({"area.bmp", "area.bpw", "area.TAB"}));
        QVERIFY(
            FileBytes(dir_->filePath("D:/maps/area.TAB")).contains("\r\n  File \"area.bmp\"\r\n"));
    }

    void aPoppedOutMapGivesTheBlackPanelAndTheGlobesCorners() {
        main_->Button1Click();
        const QString path = dir_->filePath("area.bmp");
        dialogs_.savePaths = {path};
        Export();
        const QImage picture(path);
        QCOMPARE(picture.size(), Child<QWidget>(main_, "Panel01")->size());
        QCOMPARE(picture.pixelColor(picture.width() / 2, picture.height() / 2), QColor(Qt::black));
        QCOMPARE(FileBytes(dir_->filePath("area.TAB")),
                 ExpectedTable("area.bmp", picture.width(), picture.height()));
    }

    void filesThatCannotBeWrittenAreReported() {
        // A bitmap that cannot be saved: no .TAB either.
        const QString path = dir_->filePath("missing/area.bmp");
        dialogs_.savePaths = {path};
        Export();
        QCOMPARE(dialogs_.errors,
                 QStringList({"Cannot create file " + path + "：输出文件所在的目录不存在"}));
        QVERIFY(!QFile::exists(dir_->filePath("missing/area.TAB")));

        // A .TAB that cannot be created (a folder stands in its way): the bitmap is kept.
        QVERIFY(QDir(dir_->path()).mkdir("area.TAB"));
        dialogs_.savePaths = {dir_->filePath("area.bmp")};
        Export();
        QCOMPARE(dialogs_.errors.last(),
                 "Cannot create file " + dir_->filePath("area.TAB") + "：输出文件是一个目录");
        QVERIFY(!QImage(dir_->filePath("area.bmp")).isNull());
        QVERIFY(QFile::exists(dir_->filePath("area.bpw")));
    }

    void resizingChangesTheSizeOfTheNextExport() {
        main_->resize(main_->width() - 101, main_->height() - 37);
        QCoreApplication::processEvents();
        const QSize size = Child<QWidget>(main_, "Panel01")->size();
        dialogs_.savePaths = {dir_->filePath("small.bmp")};
        Export();
        QCOMPARE(QImage(dir_->filePath("small.bmp")).size(), size);
        QCOMPARE(FileBytes(dir_->filePath("small.TAB")),
                 ExpectedTable("small.bmp", size.width(), size.height()));
    }

  private:
    // Runs the menu item as the event loop would, so that an error reaches the error box.
    void Export() {
        QMetaObject::invokeMethod(Child<QAction>(main_, "N9"), "trigger", Qt::QueuedConnection);
        QCoreApplication::sendPostedEvents();
    }

    QAction* ProjectionItem(const QString& caption) {
        emit Child<QMenu>(main_, "ViewMenu")->aboutToShow();
        for (QAction* action : Child<QMenu>(main_, "ViewMenu")->actions()) {
            if (action->text() == caption) {
                return action;
            }
        }
        return nullptr;
    }

    ScriptedDialogs& dialogs_;
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<RecordedGlobe> globe_;
    std::unique_ptr<TFrmMain> main_;
};

ORVANE_GUI_TEST_MAIN(ImageExportTest)
#include "ImageExportTest.moc"
