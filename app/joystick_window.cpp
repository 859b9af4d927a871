#include "app/joystick_window.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QShowEvent>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <cstdlib>
#include <string>

#include "config/ui/config_widgets.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

constexpr int kPadButton = 40;

// One step up or down without overflow: the values wrap as 32-bit registers do.
std::int32_t stepped(std::int32_t v, int step) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(v) +
                                     static_cast<std::uint32_t>(step));
}

}  // namespace

QByteArray thrustCommand(char channel, std::int32_t value) {
    const std::int64_t magnitude = std::llabs(static_cast<std::int64_t>(value));
    std::string digits = std::to_string(magnitude);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    QByteArray text;
    text += '<';
    text += channel;
    text += value < 0 ? '-' : '+';
    text += QByteArray::fromStdString(digits);
    text += ">\n";
    return text;
}

TfJoystick::TfJoystick(RealtimeSurvey& survey, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), survey_(survey) {
    setObjectName(QStringLiteral("TfJoystick"));
    setWindowTitle(QStringLiteral("Battery"));

    auto* strip = new QFrame(this);
    strip->setFrameShape(QFrame::StyledPanel);
    strip->setFrameShadow(QFrame::Sunken);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(6, 2, 6, 2);
    stripLayout->setSpacing(3);
    battery_ = new QLabel(QStringLiteral("--.--"), strip);
    battery_->setObjectName(QStringLiteral("pBattery"));
    QFont big(QStringLiteral("Segoe UI"));
    big.setBold(true);
    big.setPixelSize(22);
    battery_->setFont(big);
    battery_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    auto* unit = new QLabel(QStringLiteral("V"), strip);
    QFont small = unit->font();
    small.setPixelSize(11);
    unit->setFont(small);
    stripLayout->addWidget(battery_, 1);
    stripLayout->addWidget(unit, 0, Qt::AlignBottom);

    struct Pad {
        const char* name;
        const char* glyph;
        int row, column;
        void (TfJoystick::*click)();
    };
    const Pad pads[] = {
        {"bUp", "\u25B2", 0, 1, &TfJoystick::bUpClick},
        {"bLeft", "\u25C0", 1, 0, &TfJoystick::bLeftClick},
        {"BitBtn5", "\u25A0", 1, 1, &TfJoystick::BitBtn5Click},
        {"bRight", "\u25B6", 1, 2, &TfJoystick::bRightClick},
        {"BitBtn1", "\u25E3", 2, 0, &TfJoystick::BitBtn1Click},
        {"bBottom", "\u25BC", 2, 1, &TfJoystick::bBottomClick},
        {"BitBtn2", "\u25E2", 2, 2, &TfJoystick::BitBtn2Click},
    };
    auto* pad = new QGridLayout;
    pad->setSpacing(4);
    for (const Pad& p : pads) {
        auto* b = new QToolButton(this);
        b->setObjectName(QLatin1String(p.name));
        b->setText(QString::fromUtf8(p.glyph));
        b->setFixedSize(kPadButton, kPadButton);
        QFont f = b->font();
        f.setPixelSize(18);
        b->setFont(f);
        pad->addWidget(b, p.row, p.column);
        connect(b, &QToolButton::clicked, this, p.click);
    }

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(6);
    layout->addWidget(strip);
    layout->addLayout(pad);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(&survey.indicators(), &SurveyIndicators::batteryVoltageChanged, battery_,
            &QLabel::setText);

    timer1_ = new QTimer(this);
    timer1_->setObjectName(QStringLiteral("Timer1"));
    timer1_->setInterval(kCheckIntervalMs);
    connect(timer1_, &QTimer::timeout, this, &TfJoystick::Timer1Timer);
    timer1_->start();
}

void TfJoystick::send(const QByteArray& text) {
    // A closed port writes and reports nothing; the reader sees to that.
    survey_.gnss().Write(text);
}

void TfJoystick::bUpClick() {
    a_ = stepped(a_, 1);
    b_ = stepped(b_, 1);
    send(thrustCommand('A', a_) + thrustCommand('B', b_));
}

void TfJoystick::bBottomClick() {
    a_ = stepped(a_, -1);
    b_ = stepped(b_, -1);
    send(thrustCommand('A', a_) + thrustCommand('B', b_));
}

void TfJoystick::bLeftClick() {
    send(thrustCommand('A', a_));
    a_ = stepped(a_, 1);
}

void TfJoystick::BitBtn1Click() {
    send(thrustCommand('A', a_));
    a_ = stepped(a_, -1);
}

void TfJoystick::bRightClick() {
    send(thrustCommand('B', b_));
    b_ = stepped(b_, 1);
}

void TfJoystick::BitBtn5Click() {
    a_ = b_ = c_ = 1;
    send(thrustCommand('A', 0) + thrustCommand('B', 0));
}

void TfJoystick::Timer1Timer() {
    if (survey_.models().device.sbesMessage != QLatin1String(kFamily)) hide();
}

void TfJoystick::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) RestoreWindowPlacement(*this, survey_.models().file);
    QWidget::showEvent(event);
}

}  // namespace nivora
