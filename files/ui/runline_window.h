#pragma once

// The run line window: the operator draws a route on the canvas, picks a
// spacing, a length and a line type, and the planned lines follow every edit
// on the layer "Nivora_Runlines".
//
// The window works on the chart document; what it needs from the main
// window (the events log, the canvas's drawing tool, messages, placements)
// goes through RunlineHost.

#include <QPointF>
#include <QString>
#include <QWidget>
#include <functional>
#include <vector>

#include "core/colors.h"
#include "core/settings_file.h"
#include "files/runlines.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace nivora {

class CanvasDocument;

class RunlineHost {
  public:
    virtual ~RunlineHost() = default;
    // Appends a line to the day's events log.
    virtual void AppendEventLog(const QString& message) = 0;
    // Puts the canvas into interactive polyline drawing (shape type 5), step reset.
    virtual void StartRouteDrawing() = 0;
    // Shows a message to the operator.
    virtual void ShowMessage(const QString& text) = 0;
    // Restores the window's placement from the settings file.
    virtual void RestoreWindowPlacement(QWidget& window) = 0;
};

// Status line texts and colours (0x00BBGGRR).
namespace runline_status {
inline constexpr TColor NoRouteColor = 0x808080;
inline constexpr TColor DrawingColor = 0xFF0000;
inline constexpr TColor TooFewColor = 0x0000FF;
inline constexpr TColor RouteColor = 0x008000;
}  // namespace runline_status

class TfRunline1 : public QWidget {
    Q_OBJECT

  public:
    // `repaint` repaints the canvas; the "RUNLINE" keys are read from
    // `settings` here, once, and saved to it by Generate.
    TfRunline1(CanvasDocument* doc, std::function<void()> repaint, RunlineHost* host,
               const SettingsFile& settings, QWidget* parent = nullptr);

    // The points of a finished canvas drawing.
    void SetRoute(const std::vector<QPointF>& points);
    void ClearRunlines();
    void GenerateRunlines();

    const std::vector<QPointF>& Route() const { return route_; }
    bool RouteReady() const { return routeReady_; }
    int RunlineLayerId() const { return runlineLayer_; }
    RunlineType LineType() const;

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void FormCreate();
    void bDrawRouteClick();
    void bGenerateClick();
    void bClearClick();
    void regenerateIfReady();
    void showStatus(const QString& text, TColor color);

    CanvasDocument* doc_;
    std::function<void()> repaint_;
    RunlineHost* host_;
    SettingsFile settings_;

    std::vector<QPointF> route_;
    bool routeReady_ = false;
    int runlineLayer_ = -1;

    QGroupBox* gStep1_;
    QLabel* lRouteStatus_;
    QPushButton* bDrawRoute_;
    QGroupBox* gStep2_;
    QLineEdit* eSpacing_;
    QLineEdit* eLength_;
    QGroupBox* gStep3_;
    QRadioButton* rbPerpendicular_;
    QRadioButton* rbParallel_;
    QGroupBox* gActions_;
    QPushButton* bGenerate_;
    QPushButton* bClear_;
    QPushButton* bClose_;
};

}  // namespace nivora
