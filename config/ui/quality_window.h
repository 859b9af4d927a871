#pragma once

// "Alarms and Timing": each alarm on or off with its threshold, the sound,
// the age after which a read-out is stale, each device's latency and the
// position of each sounding at its own time. Save checks every number and
// writes the "QUALITY" section; a field that is not a number in its range
// says so and nothing is saved.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace nivora {

class SettingsChanges;
class SettingsFile;
struct QualitySettings;

class TQualitySettings : public QWidget {
    Q_OBJECT

  public:
    TQualitySettings(QualitySettings& model, SettingsChanges& changes, const SettingsFile& settings,
                     QWidget* parent = nullptr);

    void syncFromModel();
    // False, with the reason shown, when a field is not usable.
    bool SaveClick();
    QString status() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    QualitySettings& model_;
    SettingsChanges& changes_;
    const SettingsFile& settings_;
    QList<QCheckBox*> alarmOn_;     // by AlarmKind
    QList<QLineEdit*> thresholds_;  // by AlarmKind; null for the fix class
    QComboBox* fixClass_ = nullptr;
    QLineEdit* depthMax_ = nullptr;
    QCheckBox* muted_ = nullptr;
    QLineEdit* staleAfter_ = nullptr;
    QLineEdit* gnssLatency_ = nullptr;
    QLineEdit* sounderLatency_ = nullptr;
    QCheckBox* interpolate_ = nullptr;
    QLineEdit* wait_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
