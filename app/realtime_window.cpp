#include "app/realtime_window.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPainter>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "app/toolbar_icons.h"
#include "config/ui/config_widgets.h"
#include "sensors/ntrip_client.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

// Pixel heights of the parts; with the 4 px gaps they add up to the
// window's three client heights (191, 289, 387).
constexpr int kToolBarHeight = 28;
constexpr int kGpsGroupHeight = 155;
constexpr int kDepthFrameHeight = 94;
constexpr int kGap = 4;

const QString kNoValue = QStringLiteral("---");
const QString kNoDepth = QStringLiteral("::::::::::");

// A read-out value: bold at its full size, shrunk only as far as needed so
// that a long value (a depth over 1000 m) still fits the narrow window.
class ValueLabel final : public QLabel {
  public:
    ValueLabel(const char* name, const QString& text, int pixels, QWidget* parent)
        : QLabel(text, parent), pixels_(pixels) {
        setObjectName(QLatin1String(name));
        QFont f = font();
        f.setBold(true);
        f.setPixelSize(pixels_);
        setFont(f);
        setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    }
    QSize sizeHint() const override { return {24, QFontMetrics(font()).height()}; }
    QSize minimumSizeHint() const override { return sizeHint(); }
    // A larger window shows larger values, to be read across the wheelhouse.
    void setScale(double scale) {
        if (base_ == 0) base_ = pixels_;
        pixels_ = static_cast<int>(base_ * scale);
        QFont f = font();
        f.setPixelSize(pixels_);
        setFont(f);
    }

  protected:
    void paintEvent(QPaintEvent*) override {
        const QRect r = contentsRect();
        QFont f = font();
        for (int px = pixels_; px > 8; --px) {
            f.setPixelSize(px);
            if (QFontMetrics(f).horizontalAdvance(text()) <= r.width()) break;
        }
        QPainter p(this);
        p.setFont(f);
        p.setPen(palette().color(foregroundRole()));
        p.drawText(r, static_cast<int>(alignment()), text());
    }

  private:
    int pixels_;
    int base_ = 0;
};

QLabel* smallLabel(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* l = new QLabel(text, parent);
    if (name) l->setObjectName(QLatin1String(name));
    QFont f = l->font();
    f.setPixelSize(11);
    f.setBold(false);  // the frame titles are bold; captions stay quiet
    l->setFont(f);
    return l;
}

QGroupBox* group(const char* name, const QString& title, int height, QWidget* parent) {
    auto* g = new QGroupBox(title, parent);
    g->setObjectName(QLatin1String(name));
    g->setFixedHeight(height);
    QFont f = g->font();
    f.setPixelSize(11);
    f.setBold(true);
    g->setFont(f);
    return g;
}

// A status colour fills the frame; its texts turn dark or light so that
// the value stays readable on lime as on red.
void colourFrame(QGroupBox* g, TColor c) {
    const QColor fill = toQColor(c);
    const bool light = 0.299 * fill.red() + 0.587 * fill.green() + 0.114 * fill.blue() > 140;
    QPalette p = g->palette();
    p.setColor(QPalette::Window, fill);
    p.setColor(QPalette::WindowText, light ? Qt::black : Qt::white);
    g->setPalette(p);
    g->setAutoFillBackground(true);
}

QToolButton* toolButton(const char* name, IconId icon, const QString& hint, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setObjectName(QLatin1String(name));
    b->setIcon(nivoraIcon(icon));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    // A toolbar click must not pull the focus from the chart.
    b->setFocusPolicy(Qt::NoFocus);
    return b;
}

}  // namespace

TfRealtime::TfRealtime(RealtimeSurvey& survey, const SettingsFile& file, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), file_(file) {
    setObjectName(QStringLiteral("TfRealtime"));
    setWindowTitle(QStringLiteral("Realtime Data"));

    auto* bar = new QToolBar(this);
    bar->setObjectName(QStringLiteral("ToolBar1"));
    bar->setIconSize(QSize(20, 20));
    bar->setFixedHeight(kToolBarHeight);
    bar->setMovable(false);
    btHide_ = toolButton("btHide", IconId::CompactMode, QStringLiteral("Hide Window"), bar);
    // The mode lives in the main window; the button only shows it.
    btHide_->setCheckable(true);
    auto* zoomIn = toolButton("ToolButton2", IconId::ZoomIn, iconName(IconId::ZoomIn), bar);
    auto* zoomOut = toolButton("ToolButton3", IconId::ZoomOut, iconName(IconId::ZoomOut), bar);
    auto* logFolder =
        toolButton("btOpenLogFolder", IconId::LogFolder, QStringLiteral("Open Log Folder"), bar);
    auto* offsets =
        toolButton("btShowOffsets", IconId::Offsets, QStringLiteral("Show Offsets"), bar);
    bar->addWidget(btHide_);
    bar->addWidget(zoomIn);
    bar->addWidget(zoomOut);
    bar->addSeparator();
    bar->addWidget(logFolder);
    bar->addWidget(offsets);

    gpsGroup_ = group("GPSGroupBox", QStringLiteral("GPS"), kGpsGroupHeight, this);
    auto* rows = new QGridLayout(gpsGroup_);
    rows->setContentsMargins(6, 2, 6, 4);
    rows->setHorizontalSpacing(4);
    rows->setVerticalSpacing(0);
    const auto row = [&](int r, const char* captionName, const QString& caption,
                         const char* valueName, const QString& unit) {
        rows->addWidget(smallLabel(caption, gpsGroup_, captionName), r, 0);
        auto* value = new ValueLabel(valueName, kNoValue, 19, gpsGroup_);
        rows->addWidget(value, r, 1);
        rows->addWidget(smallLabel(unit, gpsGroup_), r, 2, Qt::AlignBottom | Qt::AlignLeft);
        return value;
    };
    fixed_ = row(0, "lbFix", QStringLiteral("Fix"), "Fixed", QString());
    speed_ = row(1, "lbSpeed", QStringLiteral("Speed"), "Speed", QStringLiteral("kn"));
    satellites_ = row(2, "lbSatellites", QStringLiteral("Satellite"), "SatelliteLabel", QString());
    antennaHeight_ =
        row(3, "lbAntennaH", QStringLiteral("Ant. Ht."), "LAntennaH", QStringLiteral("m"));
    tideHeight_ = row(4, "lbTideHt", QStringLiteral("Tide Ht."), "LTideHt", QStringLiteral("m"));
    // RTK corrections in a quiet line, only while they are taken.
    corrections_ = smallLabel(QString(), gpsGroup_, "lCorrections");
    corrections_->hide();
    rows->addWidget(corrections_, 5, 0, 1, 3);
    rows->setColumnStretch(1, 1);
    rows->setColumnMinimumWidth(2, 14);

    const auto depthFrame = [this](const char* name, const QString& title, const char* valueName,
                                   QLabel** value) {
        QGroupBox* g = group(name, title, kDepthFrameHeight, this);
        auto* l = new QHBoxLayout(g);
        l->setContentsMargins(6, 0, 6, 4);
        l->setSpacing(3);
        *value = new ValueLabel(valueName, kNoDepth, 44, g);
        l->addWidget(*value, 1);
        l->addWidget(smallLabel(QStringLiteral("m"), g), 0, Qt::AlignBottom);
        return g;
    };
    depthFrameHi_ =
        depthFrame("DepthFrameHi", QStringLiteral("True Depth HF"), "lDepthHi", &depthHi_);
    depthFrameLo_ =
        depthFrame("DepthFrameLo", QStringLiteral("True Depth LF"), "lDepthLo", &depthLo_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kGap, 0, kGap, kGap);
    layout->setSpacing(kGap);
    layout->addWidget(bar);
    layout->addWidget(gpsGroup_);
    layout->addWidget(depthFrameHi_);
    layout->addWidget(depthFrameLo_);
    layout->addStretch(1);
    setClientHeight(kHeightBothDepths);

    connect(btHide_, &QToolButton::clicked, this, [this] {
        btHide_->setChecked(compactMark_ == 1);
        emit compactModeToggled();
    });
    connect(zoomIn, &QToolButton::clicked, this, &TfRealtime::zoomInRequested);
    connect(zoomOut, &QToolButton::clicked, this, &TfRealtime::zoomOutRequested);
    connect(logFolder, &QToolButton::clicked, this, &TfRealtime::logFolderRequested);
    connect(offsets, &QToolButton::clicked, this, &TfRealtime::offsetsRequested);

    SurveyIndicators& show = survey.indicators();
    connect(&survey.cycle(), &RealtimeCycle::ticked, this, [this](const TickValues& v) {
        const TickReadouts& r = v.readouts;
        fixed_->setText(r.fixed);
        satellites_->setText(r.satellites);
        antennaHeight_->setText(r.antennaHeight);
        tideHeight_->setText(r.tideHeight);
        showStale(v.gnssStale, v.depthStale);
    });
    // A lost position turns the group red with light text, which says more than grey.
    connect(&survey, &RealtimeSurvey::gnssWentStale, this,
            [this] { showStale(false, depthShownStale()); });
    connect(&show, &SurveyIndicators::speedTextChanged, speed_, &QLabel::setText);
    connect(&show, &SurveyIndicators::depthTextsChanged, this,
            [this](const QString& high, const QString& low) {
                depthHi_->setText(high);
                depthLo_->setText(low);
            });
    connect(&show, &SurveyIndicators::depthFramesColourChanged, this, [this](TColor c) {
        colourFrame(depthFrameHi_, c);
        colourFrame(depthFrameLo_, c);
    });
    connect(&show, &SurveyIndicators::depthFramesVisibleChanged, this,
            &TfRealtime::setDepthFramesVisible);
    connect(&survey.models().changes, &SettingsChanges::depthDisplayChanged, this,
            [this](bool low) {
                if (low)
                    ShowLowFrequencyFrame();
                else
                    HideLowFrequencyFrame();
            });
    connect(&survey.ntrip(), &NtripClient::statusChanged, this, [this](const NtripStatus& st) {
        corrections_->setText(st.shortText());
        corrections_->setVisible(!corrections_->text().isEmpty());
    });
    const auto colourGps = [this](TColor c) { colourFrame(gpsGroup_, c); };
    connect(&show, &SurveyIndicators::fixIndicatorColourChanged, this, colourGps);
    connect(&show, &SurveyIndicators::gpsGroupColourChanged, this, colourGps);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setSingleShot(true);
    timer1_->setInterval(kStartupDelayMs);
    connect(timer1_, &QTimer::timeout, this, &TfRealtime::Timer1Timer);
    timer1_->start();
}

void TfRealtime::showStale(bool gnss, bool depth) {
    const auto mark = [](QLabel* l, bool stale) {
        if (l->property("stale").toBool() == stale) return;
        l->setProperty("stale", stale);
        // Grey text: the value is old. An empty palette inherits the frame's again.
        QPalette p;
        if (stale) p.setColor(QPalette::WindowText, QColor(128, 128, 128));
        l->setPalette(p);
    };
    for (QLabel* l : {fixed_, satellites_, antennaHeight_, tideHeight_, speed_})
        mark(l, gnss);
    for (QLabel* l : {depthHi_, depthLo_})
        mark(l, depth);
}

bool TfRealtime::gnssShownStale() const {
    return fixed_->property("stale").toBool();
}

bool TfRealtime::depthShownStale() const {
    return depthHi_->property("stale").toBool();
}

void TfRealtime::setClientHeight(int height) {
    // The designed size at scale 1; a window made larger keeps its scale.
    setMinimumSize(kClientWidth, height);
    designedHeight_ = height;
    resize(static_cast<int>(kClientWidth * scale_ + 0.5), static_cast<int>(height * scale_ + 0.5));
}

void TfRealtime::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const double scale =
        std::clamp(std::min(static_cast<double>(width()) / kClientWidth,
                            static_cast<double>(height()) / std::max(1, designedHeight_)),
                   1.0, 4.0);
    if (std::abs(scale - scale_) < 0.01) return;
    scale_ = scale;
    gpsGroup_->setFixedHeight(static_cast<int>(kGpsGroupHeight * scale_));
    depthFrameHi_->setFixedHeight(static_cast<int>(kDepthFrameHeight * scale_));
    depthFrameLo_->setFixedHeight(static_cast<int>(kDepthFrameHeight * scale_));
    for (QLabel* v : {fixed_, speed_, satellites_, antennaHeight_, tideHeight_, depthHi_, depthLo_})
        static_cast<ValueLabel*>(v)->setScale(scale_);
}

void TfRealtime::ShowLowFrequencyFrame() {
    if (!depthFrameLo_->isHidden()) return;
    depthFrameLo_->show();
    setClientHeight(kHeightBothDepths);
}

void TfRealtime::HideLowFrequencyFrame() {
    if (depthFrameLo_->isHidden()) return;
    depthFrameLo_->hide();
    setClientHeight(kHeightHighDepthOnly);
}

void TfRealtime::setDepthFramesVisible(bool visible) {
    depthFrameHi_->setVisible(visible);
    depthFrameLo_->setVisible(visible);
    setClientHeight(visible ? kHeightBothDepths : kHeightNoDepths);
}

void TfRealtime::setCompactMark(bool compact) {
    compactMark_ = compact ? 1 : 0;
    btHide_->setChecked(compact);
}

void TfRealtime::Timer1Timer() {
    if (!timer1_) return;
    timer1_->stop();
    timer1_->deleteLater();
    timer1_ = nullptr;
    if (startupAction_) startupAction_();
}

void TfRealtime::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) RestoreWindowPlacement(*this, file_);
    QWidget::showEvent(event);
}

}  // namespace nivora
