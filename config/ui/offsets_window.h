#pragma once

// TOffsets: the surveyor confirms the vessel offsets, sound velocity, tide
// and survey metadata; "Save && Go realtime" checks them, logs them for the
// office, stores them and starts real time.

#include <QMap>
#include <QString>
#include <QWidget>

#include "config/config_host.h"
#include "config/offsets_model.h"
#include "core/settings_file.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace nivora {

class Clock;
class SvpModel;

class TOffsets : public QWidget {
    Q_OBJECT

  public:
    // `svp` tells whether the sound velocity profile is in use (may be null);
    // `settings` is where "Save && Go realtime" and the placement are saved.
    TOffsets(OffsetsModel& model, const SvpModel* svp, ConfigHost& host, OperatorPrompts& prompts,
             const SettingsFile& settings, const Clock& clock, QWidget* parent = nullptr);

    OffsetsModel& model() { return model_; }
    QLineEdit* field(OffsetField f) const { return fields_.value(f); }

    void RealtimeClick();
    void CancelClick();
    // The profile window's "Use Sound Velocity Profile" box changed.
    void setProfileInUse(bool used);
    // Refreshes the date and time label (the window's one-second timer).
    void refreshTime();

  protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QLineEdit* addField(OffsetField f, const char* name);
    void syncFromModel();
    void checkFieldExit(OffsetField f);

    OffsetsModel& model_;
    const SvpModel* svp_;
    ConfigHost& host_;
    OperatorPrompts& prompts_;
    SettingsFile settings_;
    const Clock& clock_;
    QMap<OffsetField, QLineEdit*> fields_;
    QLabel* time_ = nullptr;
    QPushButton* bSVP_ = nullptr;
    QTimer* timer_ = nullptr;
    bool exitCheckRunning_ = false;
};

}  // namespace nivora
