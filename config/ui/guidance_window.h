#pragma once

// "Guidance Settings": when survey lines start and end on their own, what
// comes next, the run-in and run-out, the off-track limit, the helmsman's
// scale and the autopilot output. Save checks every number and writes the
// "GUIDANCE" section; a field that is not a number says so and nothing is
// saved.

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace nivora {

class SettingsChanges;
class SettingsFile;
struct GuidanceSettings;

class TGuidanceSettings : public QWidget {
    Q_OBJECT

  public:
    TGuidanceSettings(GuidanceSettings& model, SettingsChanges& changes,
                      const SettingsFile& settings, QWidget* parent = nullptr);

    void syncFromModel();
    // False, with the reason shown, when a field is not usable.
    bool SaveClick();
    QString status() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    GuidanceSettings& model_;
    SettingsChanges& changes_;
    const SettingsFile& settings_;
    QCheckBox* autoStart_ = nullptr;
    QCheckBox* autoEnd_ = nullptr;
    QComboBox* nextLine_ = nullptr;
    QLineEdit* runIn_ = nullptr;
    QLineEdit* runOut_ = nullptr;
    QLineEdit* offTrackLimit_ = nullptr;
    QLineEdit* offTrackTime_ = nullptr;
    QLineEdit* fullScale_ = nullptr;
    QLineEdit* deadBand_ = nullptr;
    QLineEdit* arrivalRadius_ = nullptr;
    QCheckBox* autopilot_ = nullptr;
    QLineEdit* autopilotPort_ = nullptr;
    QLineEdit* autopilotRate_ = nullptr;
    QCheckBox* apb_ = nullptr;
    QCheckBox* xte_ = nullptr;
    QCheckBox* rmb_ = nullptr;
    QLabel* status_ = nullptr;
};

}  // namespace nivora
