#pragma once

// The survey lines of a chart and the one being run: the lines read from the
// run-line layer (named, in plan order), the active line chosen by click,
// list, next or previous in plan order, or the closest; its direction
// swapped; guidance from every GNSS epoch at the position the vessel is
// drawn at; the line's run started and ended by key or on its own, with an
// event and a line-log row for each, a guidance-log row per epoch while a
// line is active, and the next line made active when one is done. The
// autopilot sentences go out from here. The coordinate log is not touched:
// every sounding is logged whether or not a line runs.

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "guidance/autopilot_sentences.h"
#include "guidance/line_guidance.h"
#include "guidance/line_index.h"
#include "guidance/line_run.h"
#include "guidance/survey_line.h"
#include "survey/survey_values.h"

namespace nivora {

class AutopilotOutput;
class ChartSession;
class LineLogs;
class RealtimeSurvey;

// What one epoch gives the helmsman and the chart.
struct GuidanceUpdate {
    qint64 atMs = 0;
    QString line;  // the active line, empty for none
    bool hasPosition = false;
    std::optional<LineGuidance> guidance;  // a line and a position
    bool running = false;                  // the line is being logged
    double speedKnots = 0;
};

// "245 m", "1.25 km": a distance on the guidance displays.
QString guidanceDistanceText(double metres);

class LineControl : public QObject {
    Q_OBJECT

  public:
    explicit LineControl(ChartSession& chart, QObject* parent = nullptr);
    ~LineControl() override;

    // Reads the lines from the chart again (a layout opened, lines
    // generated); the active line is kept by name.
    void refresh();
    const std::vector<SurveyLine>& lines() const { return lines_; }
    int activeIndex() const { return active_; }
    const SurveyLine* activeLine() const;
    const GuidanceUpdate& last() const { return last_; }
    bool running() const { return run_.running(); }

    // -1: none. Ends a run of another line first.
    void setActive(int index);
    bool setActiveByName(const QString& name);
    // The line within `tolerance` of a clicked point; false when none is.
    bool activateAt(double x, double y, double tolerance);
    void next();
    void previous();
    // The line nearest the vessel.
    void closest();
    void swapActive();
    void startLine();
    void endLine();
    // The selected lines and open polylines of the chart become survey lines.
    int markSelected();
    void rename(int index, const QString& name);

    // Guidance of one position (for tests and the bench): the active line, or none.
    std::optional<LineGuidance> guide(double easting, double northing,
                                      std::optional<double> courseGridDeg, double speedMps) const;
    const LineIndex& index() const { return index_; }

  signals:
    void guidanceUpdated(const nivora::GuidanceUpdate& update);
    void linesChanged();
    void activeLineChanged(const QString& name);
    void runChanged(bool running);

  private:
    void onEpoch(const GnssEpoch& epoch);
    void onSounding(const CorrectedSounding& sounding);
    void onRealtime(bool running);
    void ended(const LineRunRecord& record);
    void afterEnd();
    void refreshIfChanged();
    // The strip, and with `marks` the lines' marks too (those change only
    // with the lines or the active one).
    void publish(bool marks = true);
    // The autopilot sentences' values of an epoch on the active line.
    AutopilotFix autopilotFix(const GnssEpoch& epoch, const LineGuidance& g);
    void saveActive();
    QPointF here() const;
    qint64 nowMs() const;

    ChartSession& chart_;
    RealtimeSurvey& survey_;
    std::vector<SurveyLine> lines_;
    LineIndex index_;
    int active_ = -1;
    LineRun run_;
    GuidanceUpdate last_;
    std::optional<GnssEpoch> lastEpoch_;
    // What the chart's run-line layer looked like at the last read.
    struct LayerKey {
        int layer = -2;
        std::size_t shapes = 0;
        std::uint64_t idSum = 0;
        bool operator==(const LayerKey&) const = default;
    } key_;
    LayerKey currentKey() const;
    // The WGS-84 position of the active line's end, found once per line.
    struct Destination {
        QPointF end;
        double latitude = 0, longitude = 0;
    };
    std::optional<Destination> destination_;
    std::unique_ptr<LineLogs> logs_;
    std::unique_ptr<AutopilotOutput> autopilot_;
};

}  // namespace nivora
