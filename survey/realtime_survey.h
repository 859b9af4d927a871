#pragma once

// Real time without a chart: the two serial readers, each line decoded once
// into a GNSS epoch or a corrected sounding, a coordinate row from each
// sounding and the epoch it belongs to, every survey log, the error path,
// the start and stop of real time and what is wrong with it (a port that
// does not work, no GPS data). The real-time cycle (its tick and the
// echogram feed) and the read-out indicators are its parts. It runs on an
// injectable clock and timer source, so a whole survey day can run in
// virtual time; the chart, when there is one, follows it by signal.

#include <QDateTime>
#include <QObject>
#include <QString>
#include <optional>

#include "config/config_host.h"
#include "config/settings_models.h"
#include "core/clock.h"
#include "core/error_report.h"
#include "geodesy/geoid_grid.h"
#include "sensors/serial_gps.h"
#include "survey/alarm_monitor.h"
#include "survey/fix_placer.h"
#include "survey/gnss_tracker.h"
#include "survey/realtime_cycle.h"
#include "survey/receiver_clock.h"
#include "survey/sounder_handler.h"
#include "survey/sounding_timeline.h"
#include "survey/survey_indicators.h"
#include "survey/survey_logs.h"
#include "survey/survey_values.h"
#include "survey/tide_table.h"

namespace nivora {

// The windows whose being shown changes what the survey does.
enum class SurveyWindow { Offsets, Monitor, Echogram, Latency };

class CsvDayLog;
class NmeaRepeater;
class NtripClient;

class RealtimeSurvey : public QObject {
    Q_OBJECT

  public:
    static constexpr int kAlarmTickMs = 1000;
    // The models are loaded already. `whenFull`: what a full log queue does
    // (virtual time runs far faster than a disk: there it waits, so that a
    // run logs every row; on the wall clock nothing may wait for a disk).
    RealtimeSurvey(SurveyModels& models, const DayFolders& folders, Clock& clock,
                   TimerSource& timers, LogWriter::WhenFull whenFull = LogWriter::WhenFull::Drop,
                   QObject* parent = nullptr);
    ~RealtimeSurvey() override;

    TNivoraSerialGPS& gnss() { return gnss_; }
    TNivoraSerialGPS& sounder() { return sounder_; }
    SurveyLogs& logs() { return logs_; }
    SurveyModels& models() { return models_; }
    const Clock& clock() const { return clock_; }
    RealtimeCycle& cycle() { return cycle_; }
    SurveyIndicators& indicators() { return indicators_; }
    FixPlacer& placer() { return placer_; }
    // The NMEA output, configured from its settings as real time starts.
    NmeaRepeater& repeater() { return *repeater_; }
    // RTK corrections from a caster to the GNSS receiver, started with real
    // time when its settings say so; its status is for the windows.
    NtripClient& ntrip() { return *ntrip_; }

    // Where the readers' bytes come from (default: serial ports).
    void setTransportFactories(TransportFactory gnss, TransportFactory sounder);
    void setWindowShown(SurveyWindow window, bool shown);
    bool windowShown(SurveyWindow window) const { return shown_[static_cast<int>(window)]; }
    void setMonitorPaused(bool paused) { monitorPaused_ = paused; }

    // The Realtime button: starts real time, or stops it.
    void RealtimeClick();
    bool running() const { return running_; }
    // No GPS data since the last epoch (or none yet since the start).
    bool gnssStale() const { return gnssStale_; }
    // The close: the readers closed whatever they say, the timers stopped.
    void closeReaders();
    // Every log record handed over so far is in its file (or waits for a
    // disk that refuses it); the writer's reports are passed on.
    void flushLogs();

    // The last epoch with the motion since; no position after a gap.
    const GnssEpoch& epoch() const { return tracker_.current(); }
    // The last sounding the echosounder gave, none before the first.
    const std::optional<CorrectedSounding>& sounding() const { return sounding_; }
    // Where the soundings wait for the epoch after them.
    const SoundingTimeline& timeline() const { return timeline_; }
    // The receiver's UTC against the arrival stamps, over the last minute.
    const ReceiverClock& receiverClock() const { return receiverClock_; }
    // Writes the rows of the soundings whose position is settled by now
    // (the cycle's tick: a GNSS that falls late).
    void settleRows();

    // The alarms, raised and cleared as the data comes (and on a timer of
    // their own, for data that stops); each change is logged and said.
    const AlarmMonitor& alarms() const { return alarms_; }
    void acknowledgeAlarm(AlarmKind kind);
    void acknowledgeAllAlarms();
    // The cross-track error while a line runs, none while none does.
    void observeCrossTrack(std::optional<double> metres);
    // Checks the data-age alarms now (their timer calls it).
    void alarmTick();

    // The guidance sentences of the active line (APB, XTE, RMB) for the
    // NMEA output, when it runs and sends them.
    bool repeatsGuidance() const { return running_ && repeats_.on && repeats_.guidance; }
    void repeatGuidance(const std::vector<std::string>& sentences);

    // A short status message: the message window and the events log.
    void message(const QString& text);
    // The one error path: throttled, logged, shown.
    void reportError(const QString& text);

  signals:
    // An accepted GGA, projected; a sounding read and corrected.
    void epochReceived(const nivora::GnssEpoch& epoch);
    void soundingCorrected(const nivora::CorrectedSounding& sounding);
    // A coordinate-log row with its grid position, as queued for the log.
    void soundingLogged(const nivora::CoordinateRow& row);
    // No GPS data (an idle line, a lost port): the overlay must say so.
    void gnssWentStale(const QString& overlayText);
    void realtimeStartedChanged(bool running);
    void gnssConnectedChanged(bool connected);  // the GNSS port opened or closed
    // What is wrong with the survey (stopped, a port and why, no GPS data),
    // empty while it simply runs.
    void statusChanged(const QString& text);
    // Messages and error reports (already throttled and logged).
    void messagePosted(const QString& text);
    void errorPosted(const QString& text);
    void echogramShowRequested();
    void alarmChanged(const nivora::AlarmChange& change);

  private:
    void connectReaders();
    void onGnssLine(const NmeaSentence& sentence, const GnssReading& reading);
    void onSounderLine(std::string_view line);
    void writeCoordinateRow(const CorrectedSounding& sounding, const GnssEpoch& epoch);
    void writeRows(std::vector<SoundingTimeline::Placed> placed);
    void alarmChanges(const std::vector<AlarmChange>& changes);
    void takeVerticalReduction();
    // The tide of a sounding from the chosen source, else the typed height.
    double tideOf(const CorrectedSounding& s, const GnssEpoch& epoch);
    void start();
    void stop();
    void updateStatus();
    void positionLost();
    void gnssResumed();
    // Sends to the NMEA output while real time runs and it is on.
    void repeat(const std::vector<std::string>& sentences);
    bool monitorRunning() const { return windowShown(SurveyWindow::Monitor) && !monitorPaused_; }

    SurveyModels& models_;
    Clock& clock_;
    // The logs' file work, for the survey logs and both raw logs; it
    // outlives the readers and the logs that post to it.
    LogWriter writer_;
    SurveyLogs logs_;
    ErrorReporter errors_;
    TNivoraSerialGPS gnss_;
    TNivoraSerialGPS sounder_;
    GnssTracker tracker_;
    SounderLineHandler sounderHandler_;
    FixPlacer placer_;
    SurveyIndicators indicators_;
    RealtimeCycle cycle_;
    std::optional<CorrectedSounding> sounding_;
    SoundingTimeline timeline_;
    AlarmMonitor alarms_;
    ReceiverClock receiverClock_;
    // Vertical reduction, as real time started: the geoid model, and the
    // tide file when it is the tide's source.
    std::optional<geodesy::GeoidGrid> geoid_;
    std::optional<TideTable> tides_;
    qint64 tideMaxGapMs_ = 0;
    bool tideMissing_ = false;  // said once until the file has a tide again
    std::unique_ptr<CsvDayLog> alarmLog_;
    std::unique_ptr<Timer> alarmTimer_;
    std::unique_ptr<NmeaRepeater> repeater_;
    // After the GNSS reader, which it writes to: it goes first.
    std::unique_ptr<NtripClient> ntrip_;
    // As real time started: whether the NMEA output is on, and what it sends.
    struct Repeats {
        bool on = false, echo = false, gga = false, vtg = false, hdt = false, dpt = false,
             dbt = false, guidance = false;
    } repeats_;
    // As real time started: each device's latency, and whether rows wait
    // for the epoch after their sounding.
    qint64 latencyMs_[2] = {0, 0};
    bool interpolate_ = false;
    bool shown_[4] = {};
    bool monitorPaused_ = false;
    bool running_ = false;
    bool everStarted_ = false;
    bool gnssStale_ = false;
    qint64 lastEpochMs_ = 0;  // when the last epoch arrived, 0 before the first
    // Why a port does not work (GNSS, sounder), until it works.
    QString portProblem_[2];
};

}  // namespace nivora
