// The main window's image export: the view saved as a flat, north-up bitmap that a GIS can
// place on the map, with its MapInfo raster table (.TAB) and a world file (.bpw) beside it.
// Also the choice of projection in the view menu, since the export leaves the map flat.

#include <QAction>
#include <QActionGroup>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <string>
#include <utility>

#include "app/Mainform.h"
#include "common/Errors.h"
#include "common/ImageRegistration.h"
#include "common/RunConversion.h"
#include "common/SafeFile.h"

namespace orvane {

namespace {

constexpr double kCameraSpeed = 5.0;

// What the panel shows at this moment: the embedded map's own drawing, or the black panel
// when the map is not embedded.
QImage CapturePanel(QWidget& panel) {
    QImage picture(panel.size(), QImage::Format_RGB32);
    picture.fill(Qt::black);
    panel.render(&picture);
    return picture;
}

// The map's float items (overview map, compass, navigation, attribution) hidden while the
// picture is taken, and shown again afterwards, also when the capture fails.
class FloatItemsHidden {
  public:
    FloatItemsHidden(TApplicationGE& globe, bool keepScaleBar)
        : globe_(globe), hidden_(globe.HideFloatItems(keepScaleBar)) {}
    ~FloatItemsHidden() { globe_.ShowFloatItems(hidden_); }
    FloatItemsHidden(const FloatItemsHidden&) = delete;
    FloatItemsHidden& operator=(const FloatItemsHidden&) = delete;

  private:
    TApplicationGE& globe_;
    QStringList hidden_;
};

QImage CaptureData(TApplicationGE& globe, QWidget& panel, bool keepScaleBar) {
    const FloatItemsHidden hidden(globe, keepScaleBar);
    return CapturePanel(panel);
}

QByteArray BitmapBytes(const QImage& picture) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "BMP");  // 24 bits a pixel for a picture without transparency
    return bytes;
}

// Writes the whole file or nothing: an existing file stays as it was when writing fails.
bool WriteWholeFile(const QString& path, std::string_view bytes) {
    AtomicFileWriter writer(QFile::encodeName(path).toStdString());
    writer.Write(bytes);
    return writer.Commit();
}

GroundPoint GroundUnder(TApplicationGE& globe, double screenX, double screenY) {
    const IPointOnTerrainGE point = globe.GetPointOnTerrainFromScreenCoords(screenX, screenY);
    return {point.Longitude, point.Latitude};
}

QString Beside(const QString& path, std::string_view extension) {
    return QString::fromStdString(ReplaceExtension(path.toStdString(), extension));
}

}  // namespace

void TFrmMain::N9Click() {
    if (!IsGoogleEarthRunning()) {
        return;
    }
    AppGE0_->SetElevationExaggeration(0.0);
    // On the flat map longitude runs linearly with the pixel column and latitude with the row,
    // so the four corners place every pixel of the picture; on the globe they could not.
    AppGE0_->SetProjection(MapProjection::Flat);
    ICameraInfoGE camera = AppGE0_->GetCamera(0);
    camera.Azimuth = 0.0;
    camera.Tilt = 0.0;
    PlaybackCamera = camera;
    AppGE0_->SetCamera(camera, kCameraSpeed);

    const std::optional<QString> path =
        dialogs_.SaveFile(this, {.filter = QStringLiteral("Windows Bitmap File(*.BMP)|*.BMP"),
                                 .defaultSuffix = QStringLiteral("BMP"),
                                 .promptOverwrite = true,
                                 .checkBox = QStringLiteral("保留比例尺"),
                                 .checked = &keepScaleBar_});
    if (!path) {
        return;
    }

    const QImage picture = CaptureData(*AppGE0_, *Panel01, keepScaleBar_);
    if (!WriteWholeFile(*path, BitmapBytes(picture).toStdString())) {
        throw CannotCreateFileError(path->toStdString());
    }
    TApplicationGE& globe = *AppGE0_;
    const PictureCorners corners{
        .topLeft = GroundUnder(globe, -1.0, 1.0),
        .bottomLeft = GroundUnder(globe, -1.0, -1.0),
        .topRight = GroundUnder(globe, 1.0, 1.0),
        .bottomRight = GroundUnder(globe, 1.0, -1.0),
    };
    const int width = picture.width();
    const int height = picture.height();
    const QString table = Beside(*path, ".TAB");
    const QString world = Beside(*path, ".bpw");
    const bool tableWritten =
        WriteWholeFile(table, MapInfoRasterTable(path->toStdString(), width, height, corners));
    const bool worldWritten = WriteWholeFile(world, WorldFile(width, height, corners));
    if (!tableWritten) {
        throw CannotCreateFileError(table.toStdString());
    }
    if (!worldWritten) {
        throw CannotCreateFileError(world.toStdString());
    }
    StatusPane->setText(QStringLiteral("已保存：%1、%2、%3")
                            .arg(QDir::toNativeSeparators(*path), QFileInfo(table).fileName(),
                                 QFileInfo(world).fileName()));
}

void TFrmMain::AddProjectionItems() {
    ViewMenu->addSeparator();
    auto* group = new QActionGroup(ViewMenu);
    const MapProjection current = AppGE0_->Projection();
    for (const auto& [projection, caption] :
         {std::pair{MapProjection::Spherical, QStringLiteral("球面")},
          std::pair{MapProjection::Flat, QStringLiteral("平面")}}) {
        QAction* action = ViewMenu->addAction(caption);
        action->setCheckable(true);
        action->setChecked(projection == current);
        group->addAction(action);
        connect(action, &QAction::triggered, this, [this, projection = projection] {
            ReportErrors(this, dialogs_,
                         [this, projection] { AppGE0_->SetProjection(projection); });
        });
    }
}

}  // namespace orvane
