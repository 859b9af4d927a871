#include "app/helmsman_window.h"

#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <cmath>

#include "canvas/guidance_overlay.h"
#include "config/guidance_settings.h"
#include "config/ui/config_widgets.h"

namespace nivora {
namespace {

QFont sized(int pixels, bool bold = true) {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(std::max(8, pixels));
    f.setBold(bold);
    return f;
}

}  // namespace

HelmsmanWindow::HelmsmanWindow(LineControl& lines, GuidanceSettings& settings,
                               const SettingsFile& file, std::function<void()> save,
                               QWidget* parent)
    : QWidget(parent, Qt::Window),
      lines_(lines),
      settings_(settings),
      file_(file),
      save_(std::move(save)) {
    setObjectName(QStringLiteral("THelmsman"));
    setWindowTitle(QStringLiteral("Helmsman"));
    resize(900, 520);
    setMinimumSize(360, 240);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addStretch(1);
    foot_ = new QFrame(this);
    auto* row = new QHBoxLayout(foot_);
    row->setContentsMargins(8, 2, 8, 4);
    const auto spin = [this, row](const QString& label, const char* name, double value) {
        row->addWidget(new QLabel(label, foot_));
        auto* box = new QDoubleSpinBox(foot_);
        box->setObjectName(QLatin1String(name));
        box->setRange(0, 10000);
        box->setDecimals(1);
        box->setSuffix(QStringLiteral(" m"));
        box->setValue(value);
        connect(box, &QDoubleSpinBox::editingFinished, this, &HelmsmanWindow::scaleEdited);
        row->addWidget(box);
        return box;
    };
    fullScale_ = spin(QStringLiteral("Full scale"), "eFullScale", settings.fullScaleM());
    deadBand_ = spin(QStringLiteral("Dead band"), "eDeadBand", settings.deadBandM());
    row->addStretch(1);
    auto* full = new QPushButton(QStringLiteral("Full Screen (F11)"), foot_);
    full->setObjectName(QStringLiteral("bFullScreen"));
    connect(full, &QPushButton::clicked, this, &HelmsmanWindow::toggleFullScreen);
    row->addWidget(full);
    layout->addWidget(foot_);
    connect(&lines, &LineControl::guidanceUpdated, this, &HelmsmanWindow::showUpdate);
    connect(&lines, &LineControl::activeLineChanged, this, [this] {
        update_ = lines_.last();
        update();
    });
    update_ = lines.last();
}

HelmsmanWindow::~HelmsmanWindow() {
    // The fields lose their focus as the widgets go, after this window's own
    // part: their "editing finished" must not reach it then.
    for (QDoubleSpinBox* box : {fullScale_, deadBand_})
        box->disconnect(this);
}

void HelmsmanWindow::syncFromSettings() {
    fullScale_->setValue(settings_.fullScaleM());
    deadBand_->setValue(settings_.deadBandM());
    update();
}

void HelmsmanWindow::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) RestoreWindowPlacement(*this, file_);
    QWidget::showEvent(event);
}

void HelmsmanWindow::scaleEdited() {
    const QString full = QString::number(fullScale_->value());
    const QString band = QString::number(deadBand_->value());
    // Also said when the field only loses the focus.
    if (full == settings_.fullScale && band == settings_.deadBand) return;
    settings_.fullScale = full;
    settings_.deadBand = band;
    if (save_) save_();
    update();
}

void HelmsmanWindow::showUpdate(const GuidanceUpdate& u) {
    update_ = u;
    if (isVisible()) update();
}

void HelmsmanWindow::toggleFullScreen() {
    if (isFullScreen()) {
        showNormal();
        foot_->show();
    } else {
        foot_->hide();
        showFullScreen();
    }
}

void HelmsmanWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_F11 || (event->key() == Qt::Key_Escape && isFullScreen())) {
        toggleFullScreen();
        return;
    }
    QWidget::keyPressEvent(event);
}

void HelmsmanWindow::mouseDoubleClickEvent(QMouseEvent*) {
    toggleFullScreen();
}

bool HelmsmanWindow::night() const {
    return palette().color(QPalette::Window).lightness() < 128;
}

QString HelmsmanWindow::crossTrackText() const {
    if (update_.line.isEmpty()) return QStringLiteral("NO LINE");
    if (!update_.guidance) return QStringLiteral("NO POSITION");
    if (!update_.guidance->withinGate) return QStringLiteral("OFF LINE");
    return QStringLiteral("%1 m").arg(std::abs(update_.guidance->crossTrackM), 0, 'f', 1);
}

QString HelmsmanWindow::steerText() const {
    if (!update_.guidance || !update_.guidance->withinGate) return {};
    const double xte = update_.guidance->crossTrackM;
    if (std::abs(xte) <= settings_.deadBandM()) return QStringLiteral("ON LINE");
    // To port of the line: steer to starboard.
    return xte < 0 ? QStringLiteral("STEER RIGHT \u25B6") : QStringLiteral("\u25C0 STEER LEFT");
}

void HelmsmanWindow::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const SteeringBarStyle style = night() ? nightBarStyle() : dayBarStyle();
    const QColor back = night() ? QColor(10, 10, 14) : palette().color(QPalette::Window);
    const int footH = foot_->isVisible() ? foot_->height() : 0;
    const QRect area(0, 0, width(), height() - footH);
    p.fillRect(area, back);
    const int h = area.height(), w = area.width();
    const int margin = std::max(8, w / 40);
    p.setPen(style.text);

    // Line name and the recording mark.
    const QRect top(margin, margin / 2, w - 2 * margin, h / 8);
    p.setFont(sized(top.height() * 7 / 10));
    p.drawText(top, Qt::AlignLeft | Qt::AlignVCenter,
               update_.line.isEmpty() ? QStringLiteral("No line") : update_.line);
    if (update_.running) {
        p.setPen(style.port);
        p.drawText(top, Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("\u25CF REC"));
        p.setPen(style.text);
    }

    // The bar.
    const QRect bar(margin, top.bottom() + margin / 2, w - 2 * margin, h * 22 / 100);
    const bool steering = update_.guidance && update_.guidance->withinGate;
    if (steering) {
        drawSteeringBar(p, bar, update_.guidance->crossTrackM, settings_.fullScaleM(),
                        settings_.deadBandM(), style);
    } else {
        p.setPen(QPen(style.frame, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(bar.adjusted(0, 0, -1, -1));
    }
    p.setFont(sized(std::max(10, bar.height() / 6), false));
    p.setPen(style.text);
    const QString scale = QStringLiteral("%1 m").arg(settings_.fullScaleM(), 0, 'f', 1);
    p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignLeft | Qt::AlignBottom,
               QStringLiteral("port ") + scale);
    p.drawText(bar.adjusted(4, 0, -4, 0), Qt::AlignRight | Qt::AlignBottom,
               scale + QStringLiteral(" stbd"));

    // The cross-track error, the largest text, coloured as the bar.
    const QRect big(margin, bar.bottom() + margin / 2, w - 2 * margin, h * 30 / 100);
    p.setFont(sized(big.height() * 8 / 10));
    QColor c = style.text;
    if (steering) c = steeringColour(style, update_.guidance->crossTrackM, settings_.deadBandM());
    if (steering && std::abs(update_.guidance->crossTrackM) <= settings_.deadBandM())
        c = style.text;
    p.setPen(c);
    p.drawText(big, Qt::AlignCenter, crossTrackText());
    const QRect steer(margin, big.bottom(), w - 2 * margin, h / 12);
    p.setFont(sized(steer.height() * 7 / 10));
    p.drawText(steer, Qt::AlignCenter, steerText());

    // Distance, speed and course error.
    p.setPen(style.text);
    const QRect foot(margin, steer.bottom() + margin / 4, w - 2 * margin,
                     h - steer.bottom() - margin / 2);
    p.setFont(sized(std::min(foot.height() * 6 / 10, w / 28)));
    QString toGo = QStringLiteral("to go ---"), course = QStringLiteral("CE ---");
    if (update_.guidance) {
        const LineGuidance& g = *update_.guidance;
        toGo = g.beforeStart ? QStringLiteral("to start ") + guidanceDistanceText(g.toStartM)
                             : QStringLiteral("to go ") + guidanceDistanceText(g.toGoM);
        if (g.courseErrorDeg) {
            // Whole degrees, without a sign on a nought.
            const long long ce = std::llround(*g.courseErrorDeg);
            course = QStringLiteral("CE %1%2\u00B0")
                         .arg(ce > 0 ? QStringLiteral("+") : QString())
                         .arg(ce);
        }
    }
    const QString speed = QStringLiteral("%1 kn").arg(update_.speedKnots, 0, 'f', 1);
    p.drawText(foot, Qt::AlignLeft | Qt::AlignVCenter, toGo);
    p.drawText(foot, Qt::AlignHCenter | Qt::AlignVCenter, speed);
    p.drawText(foot, Qt::AlignRight | Qt::AlignVCenter, course);
}

}  // namespace nivora
