#include "app/toolbar_icons.h"

#include <QFile>
#include <QGuiApplication>
#include <QHash>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPalette>
#include <QPixmap>
#include <QPixmapCache>
#include <QSvgRenderer>
#include <algorithm>

// The pictures are SVG files in app/icons, compiled in as a resource.
static void initIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace nivora {
namespace {

struct IconEntry {
    IconId id;
    const char* file;  // app/icons/<file>.svg
    const char* name;
};

const IconEntry kIcons[] = {
    {IconId::Runline, "run-lines", "Run Lines"},
    {IconId::Settings, "settings", "Settings"},
    {IconId::ClearFixed, "clear-fixed-track", "Clear Fixed Track"},
    {IconId::ClearFloat, "clear-float-track", "Clear Float Track"},
    {IconId::ClearAuto, "clear-autonomous-track", "Clear Autonomous Track"},
    {IconId::SelectTrack, "select-track", "Select Track"},
    {IconId::DeleteSelected, "delete-selected", "Delete Selected"},
    {IconId::Follow, "follow-vessel", "Follow Vessel"},
    {IconId::NoFollow, "stop-following", "Stop Following"},
    {IconId::Open, "open", "Open"},
    {IconId::Save, "save", "Save"},
    {IconId::ZoomIn, "zoom-in", "Zoom In"},
    {IconId::ZoomOut, "zoom-out", "Zoom Out"},
    {IconId::ZoomExtents, "zoom-extents", "Zoom Extents"},
    {IconId::ZoomWindow, "zoom-window", "Zoom Window"},
    {IconId::ZoomDynamic, "zoom-dynamic", "Zoom Dynamic"},
    {IconId::Pan, "pan", "Pan"},
    {IconId::ShapeSelect, "select-shapes", "Select Shapes"},
    {IconId::ClearUserShapes, "clear-user-shapes", "Clear User Shapes"},
    {IconId::AddEvent, "add-event", "Add Event"},
    {IconId::ResetEvent, "reset-event", "Reset Event"},
    {IconId::Exit, "exit", "Exit"},
    {IconId::Restart, "restart", "Restart"},
    {IconId::ToolPoint, "point", "Point"},
    {IconId::ToolLine, "line", "Line"},
    {IconId::ToolRectangle, "rectangle", "Rectangle"},
    {IconId::ToolPolyline, "polyline", "Polyline"},
    {IconId::ToolEllipse, "ellipse", "Ellipse"},
    {IconId::ToolPolygon, "polygon", "Polygon"},
    {IconId::ToolCurve, "curve", "Curve"},
    {IconId::ToolArc, "arc", "Arc"},
    {IconId::ToolCircle, "circle", "Circle"},
    {IconId::Offsets, "offsets", "Offsets"},
    {IconId::LogFolder, "log-folder", "Log Folder"},
    {IconId::CompactMode, "compact-mode", "Compact Mode"},
    {IconId::Echogram, "echogram", "Echogram"},
    {IconId::RealtimeWindow, "real-time-window", "Real-Time Window"},
    {IconId::SoundVelocity, "sound-velocity", "Sound Velocity"},
    {IconId::Navigation, "navigation", "Navigation"},
    {IconId::VesselShape, "vessel-shape", "Vessel Shape"},
    {IconId::Latency, "latency", "Latency"},
    {IconId::Theme, "theme", "Theme"},
    {IconId::About, "about", "About"},
    {IconId::NewLayout, "new-layout", "New Layout"},
    {IconId::Import, "import", "Import"},
    {IconId::Export, "export", "Export"},
    {IconId::Application, "application", "Application"},
};

const IconEntry& entry(IconId id) {
    return kIcons[static_cast<std::size_t>(id)];
}

QColor paletteColour(QPalette::ColorGroup group, QPalette::ColorRole role) {
    if (!qGuiApp) return group == QPalette::Disabled ? QColor(0x80, 0x80, 0x80) : Qt::black;
    return QGuiApplication::palette().color(group, role);
}

// The SVG text of an icon, read once from the resource.
const QByteArray& svgText(IconId id) {
    static QHash<int, QByteArray> texts;
    auto it = texts.find(static_cast<int>(id));
    if (it == texts.end()) {
        initIconResources();
        QFile f(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(entry(id).file)));
        it = texts.insert(static_cast<int>(id),
                          f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    }
    return *it;
}

// Greys an icon out: its luminance, pulled toward the palette's disabled
// text colour, at reduced opacity.
void greyOut(QImage& img) {
    const QColor dis = paletteColour(QPalette::Disabled, QPalette::WindowText);
    img = img.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb px = row[x];
            const int a = qAlpha(px);
            if (a == 0) continue;
            const int g = qGray(px);
            row[x] = qRgba((g + dis.red()) / 2, (g + dis.green()) / 2, (g + dis.blue()) / 2,
                           a * 11 / 20);
        }
    }
    img = img.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// The icon at a size in device pixels: "currentColor" in the file is the
// palette's text colour now, so that the night palette shows at the next
// repaint; a picture is drawn once per size, colour and mode.
QPixmap iconPixmap(IconId id, const QSize& size, QIcon::Mode mode) {
    const QSize px = size.expandedTo(QSize(1, 1));
    const QColor fg = mode == QIcon::Selected
                          ? paletteColour(QPalette::Active, QPalette::HighlightedText)
                          : paletteColour(QPalette::Active, QPalette::WindowText);
    const QString key = QStringLiteral("nivora-icon-%1-%2x%3-%4-%5")
                            .arg(static_cast<int>(id))
                            .arg(px.width())
                            .arg(px.height())
                            .arg(fg.rgba())
                            .arg(static_cast<int>(mode));
    QPixmap cached;
    if (QPixmapCache::find(key, &cached)) return cached;
    QByteArray svg = svgText(id);
    svg.replace("currentColor", fg.name(QColor::HexRgb).toLatin1());
    QImage img(px, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    {
        QSvgRenderer renderer(svg);
        QPainter p(&img);
        const qreal side = std::min(img.width(), img.height());
        renderer.render(
            &p, QRectF((img.width() - side) / 2.0, (img.height() - side) / 2.0, side, side));
    }
    if (mode == QIcon::Disabled) greyOut(img);
    QPixmap pm = QPixmap::fromImage(img);
    QPixmapCache::insert(key, pm);
    return pm;
}

class NivoraIconEngine : public QIconEngine {
  public:
    explicit NivoraIconEngine(IconId id) : id_(id) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode,
               QIcon::State /*state*/) override {
        // Drawn at the target's device pixels so high-DPI screens get a sharp icon.
        const qreal dpr = painter->device() ? painter->device()->devicePixelRatioF() : 1.0;
        QPixmap pm = iconPixmap(id_, (QSizeF(rect.size()) * dpr).toSize(), mode);
        pm.setDevicePixelRatio(dpr);
        painter->drawPixmap(rect.topLeft(), pm);
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/) override {
        return iconPixmap(id_, size, mode);
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State /*state*/,
                         qreal scale) override {
        // Qt before 6.8 passes the size already in device pixels, later ones the
        // logical size.
#if QT_VERSION >= QT_VERSION_CHECK(6, 8, 0)
        const QSize px = (QSizeF(size) * scale).toSize();
#else
        const QSize px = size;
#endif
        QPixmap pm = iconPixmap(id_, px, mode);
        pm.setDevicePixelRatio(scale);
        return pm;
    }

    QList<QSize> availableSizes(QIcon::Mode /*mode*/, QIcon::State /*state*/) override {
        // Any size works; these are the ones a window manager or the
        // taskbar asks for first.
        return {{16, 16}, {24, 24}, {32, 32}, {48, 48}, {64, 64}, {128, 128}, {256, 256}};
    }

    QIconEngine* clone() const override {
        return new NivoraIconEngine(id_);
    }
    QString key() const override {
        return QStringLiteral("nivora");
    }
    QString iconName() override {
        return nivora::iconName(id_);
    }

  private:
    IconId id_;
};

}  // namespace

QIcon nivoraIcon(IconId id) {
    return QIcon(new NivoraIconEngine(id));
}

const std::vector<IconId>& allIconIds() {
    static const std::vector<IconId> ids = [] {
        std::vector<IconId> v;
        for (const IconEntry& e : kIcons)
            v.push_back(e.id);
        return v;
    }();
    return ids;
}

QString iconName(IconId id) {
    return QLatin1String(entry(id).name);
}

QString iconFile(IconId id) {
    return QStringLiteral(":/icons/%1.svg").arg(QLatin1String(entry(id).file));
}

}  // namespace nivora
