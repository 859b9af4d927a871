#pragma once

// The alarm panel: every alarm with its state, the value that raised it,
// its threshold and since when, raised ones red and acknowledged ones
// amber; Acknowledge and Acknowledge All; the sound and its mute. Beside it
// a status-bar label says what is raised. The sound repeats while an alarm
// waits to be acknowledged.

#include <QWidget>
#include <functional>

class QCheckBox;
class QLabel;
class QTableWidget;
class QTimer;

namespace nivora {

class RealtimeSurvey;
struct AlarmChange;
struct QualitySettings;

class AlarmPanel : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kBeepIntervalMs = 2000;

    // `saveMute`: writes the mute to the settings file.
    AlarmPanel(RealtimeSurvey& survey, QualitySettings& settings, std::function<void()> saveMute,
               QWidget* parent = nullptr);

    // The status bar's label: empty while no alarm is active.
    QLabel* statusLabel() const { return statusLabel_; }
    // The sound is due (an alarm unacknowledged, not muted); the beep's
    // timer runs while it is.
    bool soundDue() const;
    // How many beeps sounded, for the tests (no speaker there).
    int beeps() const { return beeps_; }
    void refresh();
    void syncFromSettings();

  signals:
    // An alarm was raised: the main window shows the panel.
    void raised();

  private:
    void onChange(const AlarmChange& change);
    void beep();

    RealtimeSurvey& survey_;
    QualitySettings& settings_;
    std::function<void()> saveMute_;
    QTableWidget* table_ = nullptr;
    QCheckBox* mute_ = nullptr;
    QLabel* statusLabel_ = nullptr;
    QTimer* beepTimer_ = nullptr;
    int beeps_ = 0;
};

}  // namespace nivora
