#pragma once

// The helmsman's display: a window of its own (to be put on a second screen
// and made full screen) with a large left/right bar, the cross-track error
// in metres with one decimal, the line's name, the distance to go, the speed
// and the course error, readable from two metres. It follows the day and
// night palettes. Full scale and dead band are set at its foot.

#include <QWidget>
#include <functional>

#include "survey/line_control.h"

class QDoubleSpinBox;
class QFrame;

namespace nivora {

struct GuidanceSettings;
class SettingsFile;

class HelmsmanWindow : public QWidget {
    Q_OBJECT

  public:
    // `file` keeps where the window was (a second screen, say).
    HelmsmanWindow(LineControl& lines, GuidanceSettings& settings, const SettingsFile& file,
                   std::function<void()> save, QWidget* parent = nullptr);
    ~HelmsmanWindow() override;
    // The scale fields follow settings changed elsewhere.
    void syncFromSettings();

    void showUpdate(const GuidanceUpdate& update);
    void toggleFullScreen();
    // The texts as drawn (tests read them).
    QString crossTrackText() const;
    QString steerText() const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

  private:
    void scaleEdited();
    bool night() const;

    LineControl& lines_;
    GuidanceSettings& settings_;
    const SettingsFile& file_;
    std::function<void()> save_;
    GuidanceUpdate update_;
    QFrame* foot_ = nullptr;
    QDoubleSpinBox* fullScale_ = nullptr;
    QDoubleSpinBox* deadBand_ = nullptr;
};

}  // namespace nivora
