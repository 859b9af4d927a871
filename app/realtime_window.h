#pragma once

// TfRealtime, "Realtime Data": the small stay-on-top window of live read-outs
// beside the chart (fix, speed, satellites, antenna height, tide, the two
// true depths) with its quick-access toolbar. It computes nothing: it shows
// what the survey's read-out signals carry. Values are large and bold, the
// captions small, so they read from across a wheelhouse.

#include <QWidget>
#include <functional>

#include "core/colors.h"
#include "core/settings_file.h"

class QGroupBox;
class QLabel;
class QTimer;
class QToolButton;

namespace nivora {

class RealtimeSurvey;

class TfRealtime : public QWidget {
    Q_OBJECT

  public:
    static constexpr int kClientWidth = 192;
    // Client heights with both depth frames, the high-frequency one only, none.
    static constexpr int kHeightBothDepths = 387;
    static constexpr int kHeightHighDepthOnly = 289;
    static constexpr int kHeightNoDepths = 191;
    static constexpr int kStartupDelayMs = 10000;

    TfRealtime(RealtimeSurvey& survey, const SettingsFile& file, QWidget* parent = nullptr);

    // The high/low display: the low-frequency frame and the height follow;
    // nothing happens when the frame is already as asked.
    void ShowLowFrequencyFrame();
    void HideLowFrequencyFrame();
    // Real-time start: both depth frames, or none when the sensor is off.
    void setDepthFramesVisible(bool visible);

    // The "Hide Window" button's image index: 0 normal, 1 compact.
    void setCompactMark(bool compact);
    // The GNSS read-outs and the depths in the stale colour, or as usual.
    void showStale(bool gnss, bool depth);
    bool gnssShownStale() const;
    bool depthShownStale() const;
    int compactMark() const { return compactMark_; }

    // What the start-up timer runs once, 10 s after creation.
    void setStartupAction(std::function<void()> action) { startupAction_ = std::move(action); }
    // The start-up timer's handler: runs the action and releases the timer,
    // so it never runs again.
    void Timer1Timer();
    bool startupPending() const { return timer1_ != nullptr; }

  signals:
    void zoomInRequested();
    void zoomOutRequested();
    void offsetsRequested();
    void logFolderRequested();
    void compactModeToggled();

  protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void setClientHeight(int height);

    SettingsFile file_;
    std::function<void()> startupAction_;
    QTimer* timer1_ = nullptr;
    int compactMark_ = 0;
    int designedHeight_ = kHeightBothDepths;
    double scale_ = 1.0;  // the size over the designed size; the values grow with it

    QToolButton* btHide_ = nullptr;
    QGroupBox* gpsGroup_ = nullptr;
    QGroupBox* depthFrameHi_ = nullptr;
    QGroupBox* depthFrameLo_ = nullptr;
    QLabel* fixed_ = nullptr;
    QLabel* speed_ = nullptr;
    QLabel* satellites_ = nullptr;
    QLabel* antennaHeight_ = nullptr;
    QLabel* tideHeight_ = nullptr;
    QLabel* corrections_ = nullptr;  // the NTRIP status, shown while it runs
    QLabel* depthHi_ = nullptr;
    QLabel* depthLo_ = nullptr;
};

}  // namespace nivora
