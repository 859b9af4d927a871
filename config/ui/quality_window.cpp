#include "config/ui/quality_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/quality_settings.h"
#include "config/settings_changes.h"
#include "config/ui/config_widgets.h"
#include "core/settings_file.h"

namespace nivora {
namespace {

// The fix classes the alarm can ask for, best first, by their GGA code.
struct FixClass {
    const char* name;
    int quality;
};
constexpr FixClass kFixClasses[] = {
    {"RTK fixed", 4}, {"RTK float", 5}, {"DGPS", 2}, {"Autonomous", 1}};

// Each alarm's row: its unit after the threshold, and whether it is a lower bound.
const char* const kUnits[kAlarmKinds] = {"", "", "", "s", "s", "s", "m", "kn", "m"};
const char* const kBounds[kAlarmKinds] = {"below", "below", "above", "above", "after",
                                          "after", "below", "above", "above"};

}  // namespace

TQualitySettings::TQualitySettings(QualitySettings& model, SettingsChanges& changes,
                                   const SettingsFile& settings, QWidget* parent)
    : QWidget(parent, Qt::Tool), model_(model), changes_(changes), settings_(settings) {
    setObjectName(QStringLiteral("TQualitySettings"));
    setWindowTitle(QStringLiteral("Alarms and Timing"));

    auto* alarms = new QGroupBox(QStringLiteral("Alarms"), this);
    auto* grid = new QGridLayout(alarms);
    for (int i = 0; i < kAlarmKinds; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        auto* on = new QCheckBox(alarmName(kind), alarms);
        on->setObjectName(QStringLiteral("cAlarm%1").arg(i));
        alarmOn_ << on;
        grid->addWidget(on, i, 0);
        grid->addWidget(new QLabel(QLatin1String(kBounds[i]), alarms), i, 1);
        QLineEdit* field = nullptr;
        if (kind == AlarmKind::FixQuality) {
            fixClass_ = new QComboBox(alarms);
            fixClass_->setObjectName(QStringLiteral("cbFixClass"));
            for (const FixClass& c : kFixClasses)
                fixClass_->addItem(QLatin1String(c.name), c.quality);
            grid->addWidget(fixClass_, i, 2, 1, 3);
        } else {
            field = namedLineEdit(QStringLiteral("eAlarm%1").arg(i).toLatin1().constData(), alarms);
            field->setMaximumWidth(80);
            grid->addWidget(field, i, 2);
            grid->addWidget(new QLabel(QLatin1String(kUnits[i]), alarms), i, 3);
        }
        thresholds_ << field;
        if (kind == AlarmKind::Depth) {
            depthMax_ = namedLineEdit("eDepthMax", alarms);
            depthMax_->setMaximumWidth(80);
            auto* above = new QHBoxLayout;
            above->addWidget(new QLabel(QStringLiteral("or above"), alarms));
            above->addWidget(depthMax_);
            above->addWidget(new QLabel(QStringLiteral("m"), alarms));
            grid->addLayout(above, i, 4);
        }
    }
    muted_ = new QCheckBox(QStringLiteral("Mute the alarm sound"), alarms);
    muted_->setObjectName(QStringLiteral("cMuted"));
    grid->addWidget(muted_, kAlarmKinds, 0, 1, 5);

    auto* timing = new QGroupBox(QStringLiteral("Timing"), this);
    auto* form = new QFormLayout(timing);
    staleAfter_ = namedLineEdit("eStaleAfter", timing);
    gnssLatency_ = namedLineEdit("eGnssLatency", timing);
    sounderLatency_ = namedLineEdit("eSounderLatency", timing);
    interpolate_ = new QCheckBox(QStringLiteral("Position each sounding at its own time"), timing);
    interpolate_->setObjectName(QStringLiteral("cInterpolate"));
    wait_ = namedLineEdit("eInterpolationWait", timing);
    form->addRow(QStringLiteral("Read-outs stale after (s)"), staleAfter_);
    form->addRow(QStringLiteral("GNSS latency (ms)"), gnssLatency_);
    form->addRow(QStringLiteral("Echosounder latency (ms)"), sounderLatency_);
    form->addRow(interpolate_);
    form->addRow(QStringLiteral("Wait for the next epoch at most (ms)"), wait_);
    auto* note = new QLabel(
        QStringLiteral("Alarms, latencies and positioning apply when real time next starts."),
        timing);
    note->setWordWrap(true);
    form->addRow(note);

    QHBoxLayout* buttons = saveCloseRow(*this, status_, [this] { SaveClick(); });

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(alarms);
    layout->addWidget(timing);
    layout->addLayout(buttons);
    syncFromModel();
}

void TQualitySettings::showEvent(QShowEvent* event) {
    // The alarm panel's mute changes the same settings.
    syncFromModel();
    QWidget::showEvent(event);
}

void TQualitySettings::syncFromModel() {
    const QualitySettings& q = model_;
    for (int i = 0; i < kAlarmKinds; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        alarmOn_[i]->setChecked(q.alarmOn(kind));
        if (thresholds_[i]) thresholds_[i]->setText(q.*q.thresholdField(kind));
    }
    const int at = fixClass_->findData(q.fixBelow);
    fixClass_->setCurrentIndex(at < 0 ? 0 : at);
    depthMax_->setText(q.depthMax);
    muted_->setChecked(q.alarmSoundMuted);
    staleAfter_->setText(q.staleAfter);
    gnssLatency_->setText(q.gnssLatency);
    sounderLatency_->setText(q.sounderLatency);
    interpolate_->setChecked(q.interpolate);
    wait_->setText(q.interpolationWait);
    status_->clear();
}

bool TQualitySettings::SaveClick() {
    QualitySettings q = model_;
    for (int i = 0; i < kAlarmKinds; ++i) {
        const auto kind = static_cast<AlarmKind>(i);
        q.setAlarmOn(kind, alarmOn_[i]->isChecked());
        if (thresholds_[i]) q.*q.thresholdField(kind) = thresholds_[i]->text().trimmed();
    }
    q.fixBelow = fixClass_->currentData().toInt();
    q.depthMax = depthMax_->text().trimmed();
    q.alarmSoundMuted = muted_->isChecked();
    q.staleAfter = staleAfter_->text().trimmed();
    q.gnssLatency = gnssLatency_->text().trimmed();
    q.sounderLatency = sounderLatency_->text().trimmed();
    q.interpolate = interpolate_->isChecked();
    q.interpolationWait = wait_->text().trimmed();
    QString why = q.problem();
    if (why.isEmpty() && q.depthMaxM() <= q.threshold(AlarmKind::Depth))
        why = QStringLiteral("Depth: the window's upper end must lie above its lower end");
    if (!saveEditedModel(
            model_, q, why, settings_, [&q](IniStore& ini) { q.save(ini); }, status_))
        return false;
    emit changes_.qualityChanged();
    return true;
}

QString TQualitySettings::status() const {
    return status_->text();
}

}  // namespace nivora
