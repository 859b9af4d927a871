#pragma once

// The real-time cycle: on its timer the latest epoch and sounding become one
// tick's values (read-outs, the overlay line, where the vessel is placed and
// its grid heading, the depth box), which the chart and the read-out windows
// take by signal; on a second timer the echogram gets the depths that came.
// The time a tick takes, the chart's drawing included, is measured while the
// latency window is shown.

#include <QObject>
#include <memory>

#include "core/clock.h"
#include "survey/survey_values.h"

namespace nivora {

class RealtimeSurvey;

class RealtimeCycle : public QObject {
    Q_OBJECT

  public:
    static constexpr int kInitialMapIntervalMs = 500;
    static constexpr int kEchogramIntervalMs = 200;

    RealtimeCycle(RealtimeSurvey& survey, TimerSource& timers);
    ~RealtimeCycle() override;

    void start();
    void stop();
    bool active() const;
    int interval() const;
    void setInterval(int ms);
    // While the operator draws the vessel stands still; the end of the
    // drawing starts the cycle again.
    void setDrawing(bool drawing);
    bool drawing() const { return drawing_; }
    // One tick; the timer calls it.
    void tick();

    void startEchogram();
    void stopEchogram();
    bool echogramActive() const;
    int echogramInterval() const;
    // The echogram window's redraw period (its "Interval" setting).
    void setEchogramInterval(int ms);
    void echogramTick();

  signals:
    void ticked(const nivora::TickValues& values);
    void echogramDepthAdded(double depth);
    void latencyMeasured(qint64 ms);

  private:
    RealtimeSurvey& survey_;
    std::unique_ptr<Timer> mapTimer_;
    std::unique_ptr<Timer> echogramTimer_;
    bool drawing_ = false;
    bool newDepth_ = false;
};

}  // namespace nivora
