#include "files/ui/runline_window.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "canvas/canvas_document.h"
#include "core/ini_store.h"

namespace nivora {
namespace {

const QString kSection = QStringLiteral("RUNLINE");

QColor qColor(TColor c) {
    return QColor(redOf(c), greenOf(c), blueOf(c));
}

template <class W>
W* named(W* widget, const char* name) {
    widget->setObjectName(QLatin1String(name));
    return widget;
}

}  // namespace

TfRunline1::TfRunline1(CanvasDocument* doc, std::function<void()> repaint, RunlineHost* host,
                       const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      doc_(doc),
      repaint_(std::move(repaint)),
      host_(host),
      settings_(settings) {
    setObjectName(QStringLiteral("TfRunline1"));
    setWindowTitle(QStringLiteral("Runline Generator"));

    gStep1_ = named(new QGroupBox(QStringLiteral("Step 1: Draw Route"), this), "gStep1");
    lRouteStatus_ = named(new QLabel(gStep1_), "lRouteStatus");
    bDrawRoute_ = named(new QPushButton(QStringLiteral("Draw Route"), gStep1_), "bDrawRoute");
    auto* step1 = new QVBoxLayout(gStep1_);
    step1->addWidget(lRouteStatus_);
    step1->addWidget(bDrawRoute_);

    gStep2_ = named(new QGroupBox(QStringLiteral("Step 2: Spacing (meters)"), this), "gStep2");
    eSpacing_ = named(new QLineEdit(gStep2_), "eSpacing");
    eLength_ = named(new QLineEdit(gStep2_), "eLength");
    auto* step2 = new QFormLayout(gStep2_);
    step2->addRow(QStringLiteral("Spacing"), eSpacing_);
    step2->addRow(QStringLiteral("Length"), eLength_);

    gStep3_ = named(new QGroupBox(QStringLiteral("Step 3: Line Type"), this), "gStep3");
    rbPerpendicular_ =
        named(new QRadioButton(QStringLiteral("Perpendicular"), gStep3_), "rbPerpendicular");
    rbParallel_ = named(new QRadioButton(QStringLiteral("Parallel"), gStep3_), "rbParallel");
    auto* step3 = new QVBoxLayout(gStep3_);
    step3->addWidget(rbPerpendicular_);
    step3->addWidget(rbParallel_);

    gActions_ = named(new QGroupBox(QStringLiteral("Actions"), this), "gActions");
    bGenerate_ = named(new QPushButton(QStringLiteral("Generate"), gActions_), "bGenerate");
    QFont bold = bGenerate_->font();
    bold.setBold(true);
    bGenerate_->setFont(bold);
    QPalette green = bGenerate_->palette();
    green.setColor(QPalette::ButtonText, qColor(colors::Green));
    bGenerate_->setPalette(green);
    bClear_ = named(new QPushButton(QStringLiteral("Clear"), gActions_), "bClear");
    bClose_ = named(new QPushButton(QStringLiteral("Close"), gActions_), "bClose");
    auto* actions = new QHBoxLayout(gActions_);
    actions->addWidget(bGenerate_);
    actions->addWidget(bClear_);
    actions->addWidget(bClose_);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(gStep1_);
    layout->addWidget(gStep2_);
    layout->addWidget(gStep3_);
    layout->addWidget(gActions_);

    FormCreate();

    connect(bDrawRoute_, &QPushButton::clicked, this, [this] { bDrawRouteClick(); });
    connect(bGenerate_, &QPushButton::clicked, this, [this] { bGenerateClick(); });
    connect(bClear_, &QPushButton::clicked, this, [this] { bClearClick(); });
    connect(bClose_, &QPushButton::clicked, this, [this] { close(); });
    // The preview follows every edit.
    connect(eSpacing_, &QLineEdit::textChanged, this, [this] { regenerateIfReady(); });
    connect(eLength_, &QLineEdit::textChanged, this, [this] { regenerateIfReady(); });
    connect(rbPerpendicular_, &QRadioButton::clicked, this, [this] { regenerateIfReady(); });
    connect(rbParallel_, &QRadioButton::clicked, this, [this] { regenerateIfReady(); });
}

void TfRunline1::FormCreate() {
    const IniStore ini = settings_.read();
    eSpacing_->setText(ini.readString(kSection, QStringLiteral("Spacing"), QStringLiteral("10")));
    eLength_->setText(ini.readString(kSection, QStringLiteral("Length"), QStringLiteral("100")));
    const bool perpendicular = ini.readBool(kSection, QStringLiteral("Perpendicular"), true);
    rbPerpendicular_->setChecked(perpendicular);
    rbParallel_->setChecked(!perpendicular);
    routeReady_ = false;
    showStatus(QStringLiteral("No route drawn"), runline_status::NoRouteColor);
}

void TfRunline1::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (host_) host_->RestoreWindowPlacement(*this);
}

RunlineType TfRunline1::LineType() const {
    return rbPerpendicular_->isChecked() ? RunlineType::Perpendicular : RunlineType::Parallel;
}

void TfRunline1::showStatus(const QString& text, TColor color) {
    lRouteStatus_->setText(text);
    QPalette p = lRouteStatus_->palette();
    p.setColor(QPalette::WindowText, qColor(color));
    lRouteStatus_->setPalette(p);
}

void TfRunline1::ClearRunlines() {
    if (runlineLayer_ == -1) return;
    doc_->CadClearShapes(runlineLayer_);
    if (repaint_) repaint_();
}

void TfRunline1::bDrawRouteClick() {
    ClearRunlines();
    route_.clear();
    routeReady_ = false;
    int layer = doc_->LayerFindByName(layer_names::Route);
    if (layer < 0) {
        layer = doc_->LayerOpen(layer_names::Route);
    } else {
        doc_->CadClearShapes(layer);
    }
    doc_->CurrentLayer = layer;
    if (host_) host_->StartRouteDrawing();
    showStatus(QStringLiteral("Drawing... (right-click to finish)"), runline_status::DrawingColor);
    if (repaint_) repaint_();
}

void TfRunline1::SetRoute(const std::vector<QPointF>& points) {
    route_ = points;
    routeReady_ = route_.size() > 1;
    if (!routeReady_) {
        showStatus(QStringLiteral("Need at least 2 points"), runline_status::TooFewColor);
        return;
    }
    showStatus(QStringLiteral("Route: %1 points").arg(route_.size()), runline_status::RouteColor);
    GenerateRunlines();
}

void TfRunline1::GenerateRunlines() {
    if (route_.size() < 2) return;
    const QString spacing = eSpacing_->text();
    const QString length = eLength_->text();
    const Runlines lines = nivora::GenerateRunlines(route_, spacing, length, LineType());
    if (host_) host_->AppendEventLog(runlineLogText(spacing, length));
    runlineLayer_ = placeRunlines(*doc_, route_, lines);
    if (repaint_) repaint_();
}

void TfRunline1::regenerateIfReady() {
    if (routeReady_) GenerateRunlines();
}

void TfRunline1::bGenerateClick() {
    if (!routeReady_) {
        if (host_) host_->ShowMessage(QStringLiteral("Please draw a route first."));
        return;
    }
    GenerateRunlines();
    const QString spacing = eSpacing_->text();
    const QString length = eLength_->text();
    const bool perpendicular = rbPerpendicular_->isChecked();
    QString error;
    const bool saved = settings_.update(
        [&](IniStore& ini) {
            ini.writeString(kSection, QStringLiteral("Spacing"), spacing);
            ini.writeString(kSection, QStringLiteral("Length"), length);
            ini.writeBool(kSection, QStringLiteral("Perpendicular"), perpendicular);
        },
        &error);
    // The lines stand; the operator only learns the settings were not kept.
    if (!saved && host_) host_->ShowMessage(error);
}

void TfRunline1::bClearClick() {
    ClearRunlines();
    route_.clear();
    routeReady_ = false;
    showStatus(QStringLiteral("No route drawn"), runline_status::NoRouteColor);
}

}  // namespace nivora
