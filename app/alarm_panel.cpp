#include "app/alarm_panel.h"

#include <QApplication>
#include <QCheckBox>
#include <QDateTime>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "survey/alarm_monitor.h"
#include "survey/realtime_survey.h"

namespace nivora {
namespace {

enum Column { Name, State, Value, Threshold, Since, Columns };

// Red and amber that read as such in the day and the night theme.
const QColor kRaised(200, 30, 30);
const QColor kAcknowledged(215, 140, 0);

}  // namespace

AlarmPanel::AlarmPanel(RealtimeSurvey& survey, QualitySettings& settings,
                       std::function<void()> saveMute, QWidget* parent)
    : QWidget(parent), survey_(survey), settings_(settings), saveMute_(std::move(saveMute)) {
    setObjectName(QStringLiteral("AlarmPanel"));
    table_ = new QTableWidget(kAlarmKinds, Columns, this);
    table_->setObjectName(QStringLiteral("tAlarms"));
    table_->setHorizontalHeaderLabels({QStringLiteral("Alarm"), QStringLiteral("State"),
                                       QStringLiteral("Value"), QStringLiteral("Threshold"),
                                       QStringLiteral("Since")});
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->horizontalHeader()->setStretchLastSection(true);
    // Nine rows that take little of the chart's height.
    table_->setWordWrap(false);
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 4);
    for (int r = 0; r < kAlarmKinds; ++r) {
        for (int c = 0; c < Columns; ++c)
            table_->setItem(r, c, new QTableWidgetItem);
        table_->item(r, Name)->setText(alarmName(static_cast<AlarmKind>(r)));
    }
    auto* ack = new QPushButton(QStringLiteral("Acknowledge"), this);
    ack->setObjectName(QStringLiteral("bAcknowledge"));
    auto* ackAll = new QPushButton(QStringLiteral("Acknowledge All"), this);
    ackAll->setObjectName(QStringLiteral("bAcknowledgeAll"));
    mute_ = new QCheckBox(QStringLiteral("Mute"), this);
    mute_->setObjectName(QStringLiteral("cMute"));
    connect(ack, &QPushButton::clicked, this, [this] {
        for (const QModelIndex& i : table_->selectionModel()->selectedRows())
            survey_.acknowledgeAlarm(static_cast<AlarmKind>(i.row()));
    });
    connect(ackAll, &QPushButton::clicked, this, [this] { survey_.acknowledgeAllAlarms(); });
    connect(mute_, &QCheckBox::toggled, this, [this](bool on) {
        if (on == settings_.alarmSoundMuted) return;
        settings_.alarmSoundMuted = on;
        if (saveMute_) saveMute_();
        refresh();
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ack);
    buttons->addWidget(ackAll);
    buttons->addStretch(1);
    buttons->addWidget(mute_);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->addWidget(table_);
    layout->addLayout(buttons);

    statusLabel_ = new QLabel;
    statusLabel_->setObjectName(QStringLiteral("lAlarmStatus"));
    statusLabel_->setAutoFillBackground(true);
    statusLabel_->setContentsMargins(6, 0, 6, 0);
    beepTimer_ = new QTimer(this);
    beepTimer_->setInterval(kBeepIntervalMs);
    connect(beepTimer_, &QTimer::timeout, this, &AlarmPanel::beep);
    connect(&survey_, &RealtimeSurvey::alarmChanged, this, &AlarmPanel::onChange);
    syncFromSettings();
}

void AlarmPanel::syncFromSettings() {
    mute_->setChecked(settings_.alarmSoundMuted);
    refresh();
}

bool AlarmPanel::soundDue() const {
    return survey_.alarms().anyUnacknowledged() && !settings_.alarmSoundMuted;
}

void AlarmPanel::onChange(const AlarmChange& change) {
    const bool wasDue = beepTimer_->isActive();
    refresh();
    if (change.state == AlarmState::Raised) {
        emit raised();
        // At once, then every few seconds until acknowledged.
        if (!wasDue && soundDue()) beep();
    }
}

void AlarmPanel::beep() {
    if (!soundDue()) return;
    ++beeps_;
    QApplication::beep();
}

void AlarmPanel::refresh() {
    const AlarmMonitor& alarms = survey_.alarms();
    QStringList raised, acknowledged;
    for (int r = 0; r < kAlarmKinds; ++r) {
        const auto kind = static_cast<AlarmKind>(r);
        const AlarmStatus& st = alarms.status(kind);
        const bool active = st.state != AlarmState::Clear;
        const bool on = settings_.alarmOn(kind);
        table_->item(r, State)->setText(active ? alarmStateText(st.state)
                                        : on   ? QStringLiteral("clear")
                                               : QStringLiteral("off"));
        table_->item(r, Value)->setText(active ? st.value : QString());
        table_->item(r, Threshold)->setText(st.threshold);
        table_->item(r, Since)->setText(active ? QDateTime::fromMSecsSinceEpoch(st.sinceMs)
                                                     .time()
                                                     .toString(QStringLiteral("HH:mm:ss"))
                                               : QString());
        const QColor bg = st.state == AlarmState::Raised         ? kRaised
                          : st.state == AlarmState::Acknowledged ? kAcknowledged
                                                                 : QColor();
        for (int c = 0; c < Columns; ++c) {
            QTableWidgetItem* item = table_->item(r, c);
            item->setBackground(bg.isValid() ? QBrush(bg) : QBrush());
            item->setForeground(bg.isValid() ? QBrush(Qt::white) : QBrush());
        }
        if (st.state == AlarmState::Raised) raised << alarmName(kind);
        if (st.state == AlarmState::Acknowledged) acknowledged << alarmName(kind);
    }
    QStringList parts;
    if (!raised.isEmpty()) parts << QStringLiteral("ALARM: ") + raised.join(QStringLiteral(", "));
    if (!acknowledged.isEmpty())
        parts << QStringLiteral("Acknowledged: ") + acknowledged.join(QStringLiteral(", "));
    table_->resizeColumnsToContents();
    statusLabel_->setText(parts.join(QStringLiteral(" | ")));
    // Read whole, beside the status panels that grow with their own texts.
    statusLabel_->setMinimumWidth(
        statusLabel_->fontMetrics().horizontalAdvance(statusLabel_->text()) + 14);
    statusLabel_->setVisible(!parts.isEmpty());
    QPalette p = statusLabel_->palette();
    p.setColor(QPalette::Window, raised.isEmpty() ? kAcknowledged : kRaised);
    p.setColor(QPalette::WindowText, Qt::white);
    statusLabel_->setPalette(p);
    if (soundDue()) {
        if (!beepTimer_->isActive()) beepTimer_->start();
    } else {
        beepTimer_->stop();
    }
}

}  // namespace nivora
