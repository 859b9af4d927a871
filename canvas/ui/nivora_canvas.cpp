#include "canvas/ui/nivora_canvas.h"

#include "canvas/night_colours.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "canvas/qt_color.h"

namespace nivora {

namespace {

int buttonCode(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return mouse_button::Left;
        case Qt::RightButton:
            return mouse_button::Right;
        case Qt::MiddleButton:
            return mouse_button::Middle;
        default:
            return 0;
    }
}

int shiftMask(Qt::KeyboardModifiers modifiers) {
    int mask = 0;
    if (modifiers & Qt::ShiftModifier) mask |= shift_state::Shift;
    if (modifiers & Qt::ControlModifier) mask |= shift_state::Ctrl;
    if (modifiers & Qt::AltModifier) mask |= shift_state::Alt;
    return mask;
}

QPoint clientPixel(const QMouseEvent* event) {
    const QPointF p = event->position();
    return {static_cast<int>(std::floor(p.x())), static_cast<int>(std::floor(p.y()))};
}

}  // namespace

TNivoraCanvas::TNivoraCanvas(QWidget* parent)
    : QWidget(parent),
      ui_(doc_),
      ToolMode(ui_.ToolMode),
      KeepTool(ui_.KeepTool),
      DeleteKeyEnabled(ui_.DeleteKeyEnabled),
      FollowVessel(ui_.FollowVessel),
      CurrentLayer(doc_.CurrentLayer),
      CurrentFont(doc_.CurrentFont),
      Dirty(doc_.Dirty),
      WorldLeft(doc_.View.WorldLeft),
      WorldRight(doc_.View.WorldRight),
      WorldTop(doc_.View.WorldTop),
      WorldBottom(doc_.View.WorldBottom),
      GridVisible(doc_.Grid.GridVisible),
      GridAutoScale(doc_.Grid.GridAutoScale),
      GridSpacingX(doc_.Grid.GridSpacingX),
      GridSpacingY(doc_.Grid.GridSpacingY),
      GridColor(doc_.Grid.GridColor),
      DepthLabelsVisible(doc_.Overlay.DepthLabelsVisible),
      DepthLabelSpacing(doc_.Overlay.DepthLabelSpacing),
      LabelFontName(doc_.Overlay.LabelFontName),
      LabelFontSize(doc_.Overlay.LabelFontSize),
      LabelColor(doc_.Overlay.LabelColor),
      EventLabelFontSize(doc_.Overlay.EventLabelFontSize),
      EventLabelColor(doc_.Overlay.EventLabelColor),
      DepthSpeedDisplayMode(doc_.Overlay.DepthSpeedDisplayMode),
      GGAOverlayPosition(doc_.Overlay.GGAOverlayPosition) {
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    // Every pixel is painted from the picture: nothing to erase first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(400, 300);
    doc_.View.Width = 400;
    doc_.View.Height = 300;

    settle_.setSingleShot(true);
    settle_.setInterval(kSettleMs);
    connect(&settle_, &QTimer::timeout, this, [this] {
        settled_ = true;
        update();
    });
    doc_.RepaintRequested = [this](RepaintRequest request) {
        if (request == RepaintRequest::Immediate) {
            repaint();
        } else {
            update();
        }
    };
    CanvasEvents& e = ui_.Events;
    e.ShapeNumberSelected = [this](short type, std::int32_t id) {
        emit OnShapeNumberSelected(type, id);
    };
    e.WorldMouseMove = [this](short shift, double x, double y, double magnitude, double angle) {
        emit OnWorldMouseMove(shift, x, y, magnitude, angle);
    };
    e.WorldMouseDown = [this](short button, short shift, short action, double x, double y) {
        emit OnWorldMouseDown(button, shift, action, x, y);
    };
    e.DrawBegin = [this](short type, double x, double y) { emit OnDrawBegin(type, x, y); };
    e.DrawEnd = [this](short type, double x, double y) { emit OnDrawEnd(type, x, y); };
    e.SelectionDeleted = [this](int count) { emit OnSelectionDeleted(count); };
    e.EscapePressed = [this] { emit OnEscape(); };
    e.CursorChanged = [this](CanvasCursor cursor) {
        switch (cursor) {
            case CanvasCursor::Cross:
                setCursor(Qt::CrossCursor);
                break;
            case CanvasCursor::SizeAll:
                setCursor(Qt::SizeAllCursor);
                break;
            case CanvasCursor::Default:
                setCursor(Qt::ArrowCursor);
                break;
        }
    };
}

TNivoraCanvas::~TNivoraCanvas() {
    // The document may still call back while members are torn down.
    doc_.RepaintRequested = nullptr;
    ui_.Events = {};
}

void TNivoraCanvas::SetBackColor(TColor color) {
    if (color == BackColor) return;
    BackColor = color;
    doc_.Dirty = true;
    repaint();
}

void TNivoraCanvas::SetNightChart(bool night) {
    if (night == doc_.Overlay.Night) return;
    doc_.Overlay.Night = night;
    doc_.Dirty = true;
    update();
}

bool TNivoraCanvas::IsPointInGGAOverlay(int x, int y) const {
    const QFontMetrics metrics(GGAOverlayFont(), this);
    return nivora::IsPointInGGAOverlay(doc_.Overlay, metrics, width(), height(), x, y);
}

void TNivoraCanvas::AboutBox() {
    QMessageBox::about(this, QStringLiteral("About"),
                       QStringLiteral("Nivora Canvas: the chart drawing component of Nivora DW."));
}

// ---- Painting ----

bool TNivoraCanvas::ensurePicture() {
    const qreal ratio = devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(width() * ratio)),
                       static_cast<int>(std::ceil(height() * ratio)));
    const bool resized = BackBuffer.size() != pixels || BackBuffer.devicePixelRatio() != ratio;
    if (!doc_.Dirty && !resized) return true;
    // Pan and zoom over a large chart must keep their frame rate: the last
    // picture, moved to the new view, stands in until the view is still.
    if (!resized && !settled_ && lastRebuildMs_ > kPreviewSlowRebuildMs &&
        doc_.ShapeCount() >= kPreviewMinShapes) {
        settle_.start();
        return false;
    }
    settled_ = false;
    settle_.stop();
    if (resized) {
        BackBuffer = QImage(pixels, QImage::Format_RGB32);
        BackBuffer.setDevicePixelRatio(ratio);
    }
    RenderSettings settings;
    settings.BackColor = BackColor;
    settings.GridOrder = GridOrder;
    settings.Night = doc_.Overlay.Night;
    QElapsedTimer clock;
    clock.start();
    lastStats_ = renderer_.RenderPicture(BackBuffer, doc_, settings);
    lastRebuildMs_ = clock.elapsed();
    pictureView_ = doc_.View;
    ++rebuilds_;
    return true;
}

void TNivoraCanvas::drawPreview(QPainter& painter) {
    const ViewWindow& from = pictureView_;
    const ViewWindow& to = doc_.View;
    const double w = width(), h = height();
    const double fromW = from.GetWorldWidth(), fromH = from.GetWorldHeight();
    const double toW = to.GetWorldWidth(), toH = to.GetWorldHeight();
    painter.fillRect(rect(), toQColor(ChartColour(BackColor, doc_.Overlay.Night)));
    if (!(fromW > 0 && fromH > 0 && toW > 0 && toH > 0)) return;
    // World x at old pixel px is from.Left + px * fromW / w; its new pixel
    // is (x - to.Left) * w / toW. Likewise for y, which grows downwards.
    QTransform t;
    t.translate((from.WorldLeft - to.WorldLeft) * w / toW, (to.WorldTop - from.WorldTop) * h / toH);
    t.scale(fromW / toW, fromH / toH);
    painter.save();
    painter.setTransform(t);
    painter.drawImage(QRectF(0, 0, w, h), BackBuffer);
    painter.restore();
    ++previews_;
}

void TNivoraCanvas::paintEvent(QPaintEvent*) {
    const bool exact = ensurePicture();
    QPainter painter(this);
    if (exact) {
        painter.drawImage(0, 0, BackBuffer);
    } else {
        drawPreview(painter);
    }
    DrawOverlays(painter, doc_, &ui_, &overlayCaches_);
}

void TNivoraCanvas::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    doc_.Resize(width(), height());
}

// ---- Input ----

void TNivoraCanvas::mousePressEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (button == 0) return QWidget::mousePressEvent(event);
    const QPoint p = clientPixel(event);
    ui_.MouseDown(button, shiftMask(event->modifiers()), p.x(), p.y());
    event->accept();
}

void TNivoraCanvas::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = clientPixel(event);
    ui_.MouseMove(shiftMask(event->modifiers()), p.x(), p.y());
    event->accept();
}

void TNivoraCanvas::mouseReleaseEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (button == 0) return QWidget::mouseReleaseEvent(event);
    const QPoint p = clientPixel(event);
    ui_.MouseUp(button, shiftMask(event->modifiers()), p.x(), p.y());
    event->accept();
}

// Qt delivers the second press of a double click as this event; it is
// handled as the double click followed by that press, which the double
// click may have told the canvas to ignore.
void TNivoraCanvas::mouseDoubleClickEvent(QMouseEvent* event) {
    const int button = buttonCode(event->button());
    if (button == 0) return QWidget::mouseDoubleClickEvent(event);
    const QPoint p = clientPixel(event);
    if (button == mouse_button::Left) {
        emit OnDblClick(p.x(), p.y());
        ui_.DblClick(p.x(), p.y());
    }
    ui_.MouseDown(button, shiftMask(event->modifiers()), p.x(), p.y());
    event->accept();
}

void TNivoraCanvas::wheelEvent(QWheelEvent* event) {
    const QPointF p = event->position();
    ui_.Wheel(event->angleDelta().y(), static_cast<int>(std::floor(p.x())),
              static_cast<int>(std::floor(p.y())));
    event->accept();
}

void TNivoraCanvas::keyPressEvent(QKeyEvent* event) {
    if (ui_.KeyDown(event->key())) {
        event->accept();
    } else {
        QWidget::keyPressEvent(event);  // let the window see the key
    }
}

}  // namespace nivora
