#include "echogram/ui/echogram_window.h"

#include <QCloseEvent>
#include <QPainter>
#include <QShowEvent>

#include "config/ui/config_widgets.h"
#include "core/ini_store.h"
#include "echogram/echogram_painter.h"

namespace nivora {

TfCanvas::TfCanvas(EchogramSettings& settings, const SettingsFile& file, OperatorPrompts& prompts,
                   QWidget* parent)
    : QWidget(parent, Qt::Window), settings_(settings), file_(file), prompts_(prompts) {
    setObjectName(QStringLiteral("TfCanvas"));
    setWindowTitle(QStringLiteral("Acoustic Waterfall"));
    // Every pixel comes from the picture: nothing to erase before a paint.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(1, 1);
    resize(640, 320);
}

void TfCanvas::addDepth(double depth) {
    history_.add(depth, EchogramSettings::clampDataWidth(settings_.dataWidth), height());
    render();
}

void TfCanvas::render() {
    if (size().isEmpty()) {
        picture_ = QImage();
        return;
    }
    const qreal ratio = devicePixelRatioF();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    QPainter p(&image);
    paintEchogram(p, history_, size(), font());
    p.end();
    picture_ = std::move(image);
    update();
}

void TfCanvas::EchogramClick(bool sensorEnabled) {
    if (!sensorEnabled) {
        prompts_.showMessage(QString::fromLatin1(kSensorDisabledMessage));
        return;
    }
    showWindow();
}

void TfCanvas::AcousticsWaterfallClick() {
    showWindow();
}

void TfCanvas::showWindow() {
    show();
    raise();
}

void TfCanvas::setBackgroundColour(TColor c) {
    chosenColour_ = c & 0xFFFFFFu;
}

bool TfCanvas::saveKeysAndPlacement(QString* error) {
    const bool keys = file_.update([this](IniStore& ini) { settings_.save(ini); }, error);
    return keys && SaveWindowPlacement(*this, file_, error);
}

bool TfCanvas::FormCloseQuery() {
    QString error;
    const bool placed = saveKeysAndPlacement(&error);
    if (!placed) report_ ? report_(error) : prompts_.showError(error);
    return placed;
}

void TfCanvas::showEvent(QShowEvent* event) {
    // Coming back from the task bar is no new show.
    if (!event->spontaneous()) {
        emit intervalChanged(settings_.interval);
        windowColour_ = chosenColour_;
        RestoreWindowPlacement(*this, file_);
        emit visibilityChanged(true);
    }
    QWidget::showEvent(event);
}

void TfCanvas::hideEvent(QHideEvent* event) {
    if (!event->spontaneous()) emit visibilityChanged(false);
    QWidget::hideEvent(event);
}

void TfCanvas::closeEvent(QCloseEvent* event) {
    FormCloseQuery();
    QWidget::closeEvent(event);
}

void TfCanvas::resizeEvent(QResizeEvent* event) {
    // The rows belong to a height: draw the same history at the new size.
    if (history_.hasUpdate()) {
        history_.rescale(height());
        render();
    }
    QWidget::resizeEvent(event);
}

void TfCanvas::paintEvent(QPaintEvent* event) {
    QPainter p(this);
    if (picture_.isNull() || picture_.deviceIndependentSize().toSize() != size()) {
        p.fillRect(event->rect(),
                   QColor(redOf(windowColour_), greenOf(windowColour_), blueOf(windowColour_)));
    }
    if (!picture_.isNull()) p.drawImage(QPoint(0, 0), picture_);
}

}  // namespace nivora
