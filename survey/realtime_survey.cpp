#include "survey/realtime_survey.h"

#include "core/date_time_text.h"
#include "core/number_format.h"
#include "sensors/fix_quality.h"
#include "sensors/ntrip_client.h"
#include "survey/csv_day_log.h"
#include "survey/nmea_repeater.h"

namespace nivora {
namespace {

QString clockText(qint64 msecsSinceEpoch) {
    return QDateTime::fromMSecsSinceEpoch(msecsSinceEpoch)
        .time()
        .toString(QStringLiteral("HH:mm:ss"));
}

QByteArray bytes(std::string_view line) {
    return QByteArray(line.data(), static_cast<qsizetype>(line.size()));
}

}  // namespace

RealtimeSurvey::RealtimeSurvey(SurveyModels& models, const DayFolders& folders, Clock& clock,
                               TimerSource& timers, LogWriter::WhenFull whenFull, QObject* parent)
    : QObject(parent),
      models_(models),
      clock_(clock),
      logs_(
          folders, clock, [this](const QString& e) { reportError(e); }, &writer_),
      errors_(clock,
              [this](const QString& text) {
                  logs_.AppendEventLog(text);
                  emit errorPosted(text);
              }),
      gnss_(clock, timers),
      sounder_(clock, timers),
      placer_([this](const QString& e) { reportError(e); }),
      cycle_(*this, timers),
      alarmLog_(std::make_unique<CsvDayLog>(logs_, alarmLogHeader(), 10000)),
      alarmTimer_(timers.createTimer()),
      repeater_(std::make_unique<NmeaRepeater>([this](const QString& e) { reportError(e); })),
      ntrip_(std::make_unique<NtripClient>(clock, timers)) {
    alarmTimer_->setInterval(kAlarmTickMs);
    alarmTimer_->setCallback([this] { alarmTick(); });
    writer_.setWhenFull(whenFull);
    gnss_.Role = QStringLiteral("GPS");
    sounder_.Role = QStringLiteral("echosounder");
    sounder_.DecodesGnss = false;
    for (TNivoraSerialGPS* r : {&gnss_, &sounder_}) {
        r->TimeFormat = QString::fromLatin1(kTimeFormat);
        r->DateFormat = QString::fromLatin1(kDateFormat);
        r->setLogWriter(&writer_);
    }
    connectReaders();
}

RealtimeSurvey::~RealtimeSurvey() {
    ntrip_->blockSignals(true);
    ntrip_->stop();
    // Readers close without raising events into a half-destroyed survey.
    gnss_.blockSignals(true);
    sounder_.blockSignals(true);
    gnss_.Close();
    sounder_.Close();
    // No sounding that waited for its epoch is lost with the survey.
    writeRows(timeline_.takeAll());
    alarmLog_.reset();
    // What the readers and the logs queued reaches the disk before they go.
    writer_.flush();
}

void RealtimeSurvey::alarmChanges(const std::vector<AlarmChange>& changes) {
    for (const AlarmChange& c : changes) {
        alarmLog_->append(formatAlarmRow(c), logs_.folders().alarmLogPath(
                                                 QDateTime::fromMSecsSinceEpoch(c.atMs).date()));
        if (c.state == AlarmState::Raised) {
            message(
                QStringLiteral("Alarm: %1 %2 (%3)").arg(alarmName(c.kind), c.value, c.threshold));
        }
        emit alarmChanged(c);
    }
}

void RealtimeSurvey::takeVerticalReduction() {
    const VerticalSettings& v = models_.vertical;
    geoid_.reset();
    if (!v.geoidModel.isEmpty()) {
        std::string error;
        geoid_ = geodesy::GeoidGrid::load(v.geoidPath().toStdString(), &error);
        if (!geoid_)
            reportError(QString::fromStdString(error) +
                        QStringLiteral("; the receiver's separation is used"));
    }
    if (geoid_) {
        tracker_.setGeoidModel(
            [this](double lat, double lon) { return geoid_->separation(lat, lon); }, v.geoidAlways);
    } else {
        tracker_.setGeoidModel({}, false);
    }
    tides_.reset();
    tideMissing_ = false;
    tideMaxGapMs_ = static_cast<qint64>(v.tideMaxGapMinutes() * 60000.0);
    if (v.source() == TideSource::File) {
        QString error, warning;
        tides_ = TideTable::load(v.tideFile, &error, &warning);
        if (!tides_) reportError(error + QStringLiteral("; the typed tide height is logged"));
        if (!warning.isEmpty()) reportError(warning);
    }
}

double RealtimeSurvey::tideOf(const CorrectedSounding& s, const GnssEpoch& e) {
    const TideSource source = models_.vertical.source();
    std::optional<double> tide;
    if (source == TideSource::File && tides_) {
        tide = tides_->tideAt(s.timeMs, tideMaxGapMs_);
    } else if (source == TideSource::Rtk) {
        // Taken only in RTK fixed: a held height from an earlier fix is no tide of now.
        if (e.hasPosition() && e.fixQuality == 4) tide = e.rtkTideM;
    } else {
        return s.offsets.tideHeight;
    }
    if (tide) {
        tideMissing_ = false;
        return *tide;
    }
    // No tide from the source: said once, and the typed height stays.
    if (!tideMissing_) {
        tideMissing_ = true;
        reportError(source == TideSource::Rtk
                        ? QStringLiteral("No RTK fixed tide at %1; the typed tide height is logged")
                              .arg(clockText(s.timeMs))
                        : QStringLiteral("No tide in the tide file at %1 (outside it, or a gap "
                                         "over %2 min); the typed tide height is logged")
                              .arg(clockText(s.timeMs))
                              .arg(models_.vertical.tideMaxGapMinutes()));
    }
    return s.offsets.tideHeight;
}

void RealtimeSurvey::acknowledgeAlarm(AlarmKind kind) {
    if (const auto c = alarms_.acknowledge(kind, clock_.msecsSinceEpoch())) alarmChanges({*c});
}

void RealtimeSurvey::acknowledgeAllAlarms() {
    alarmChanges(alarms_.acknowledgeAll(clock_.msecsSinceEpoch()));
}

void RealtimeSurvey::observeCrossTrack(std::optional<double> metres) {
    if (running_) alarmChanges(alarms_.onCrossTrack(metres, clock_.msecsSinceEpoch()));
}

void RealtimeSurvey::alarmTick() {
    if (running_) alarmChanges(alarms_.onTime(clock_.msecsSinceEpoch()));
}

void RealtimeSurvey::flushLogs() {
    logs_.flush();
    gnss_.flushLog();
    sounder_.flushLog();
}

void RealtimeSurvey::setTransportFactories(TransportFactory gnss, TransportFactory sounder) {
    gnss_.setTransportFactory(std::move(gnss));
    sounder_.setTransportFactory(std::move(sounder));
}

void RealtimeSurvey::setWindowShown(SurveyWindow window, bool shown) {
    shown_[static_cast<int>(window)] = shown;
}

void RealtimeSurvey::message(const QString& text) {
    logs_.AppendEventLog(text);
    emit messagePosted(text);
}

void RealtimeSurvey::reportError(const QString& text) {
    errors_.report(text);
}

void RealtimeSurvey::repeat(const std::vector<std::string>& sentences) {
    if (running_ && repeats_.on) repeater_->send(sentences, clock_.msecsSinceEpoch());
}

void RealtimeSurvey::repeatGuidance(const std::vector<std::string>& sentences) {
    if (repeatsGuidance()) repeat(sentences);
}

void RealtimeSurvey::connectReaders() {
    using R = TNivoraSerialGPS;
    SurveyIndicators& show = indicators_;
    gnss_.setLineSink([this](const NmeaSentence& s, const GnssReading& r) { onGnssLine(s, r); });
    sounder_.setLineSink(
        [this](const NmeaSentence& s, const GnssReading&) { onSounderLine(s.line); });

    connect(&gnss_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to GPS on ") + r->portDisplayName());
        emit gnssConnectedChanged(true);
        cycle_.start();
        portProblem_[0].clear();
        updateStatus();
    });
    connect(&gnss_, &R::OnDisconnect, this, [this](R* r, quint32) {
        cycle_.stop();
        message(QStringLiteral("Disconnected from GPS on ") + r->portDisplayName());
        emit gnssConnectedChanged(false);
    });
    // A port that went away: the survey goes on without it (soundings are
    // still logged, with no position rather than the last one) while the
    // reader tries to open it again; OnConnect says when it is back.
    connect(&gnss_, &R::OnPortLost, this, [this, &show](R* r, const QString&) {
        message(QStringLiteral("Disconnected from GPS on ") + r->portDisplayName());
        emit show.gpsGroupColourChanged(colors::Red);
        portProblem_[0] = r->problem() + QStringLiteral("; trying again");
        positionLost();
    });
    connect(&gnss_, &R::OnIdle, this, [this, &show](R*) {
        message(QStringLiteral("GPS is idle!"));
        emit show.gpsGroupColourChanged(colors::Red);
        positionLost();
    });
    connect(&gnss_, &R::OnTimeout, this, [this, &show](R*) {
        message(QStringLiteral("GPS Timeout!"));
        emit show.gnssMonitorColourChanged(colors::Red);
    });
    connect(&gnss_, &R::OnSend, this, [this](R*, const QByteArray& text) {
        message(QStringLiteral("Command sent to device: ") + QString::fromLatin1(text));
    });
    connect(&gnss_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });

    connect(&sounder_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });

    // The corrections go to the receiver unchanged, without waiting for its port.
    ntrip_->setSink([this](const char* data, qint64 size) { return gnss_.WriteRaw(data, size); });
    connect(ntrip_.get(), &NtripClient::messagePosted, this, &RealtimeSurvey::message);
    connect(ntrip_.get(), &NtripClient::errorPosted, this, &RealtimeSurvey::reportError);
    // A silent sounder must not go unnoticed: soundings are the survey.
    connect(&sounder_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to NMEA Sensor on ") + r->portDisplayName());
        portProblem_[1].clear();
        updateStatus();
    });
    connect(&sounder_, &R::OnDisconnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Disconnected from NMEA Sensor on ") + r->portDisplayName());
    });
    connect(&sounder_, &R::OnPortLost, this, [this, &show](R* r, const QString&) {
        message(QStringLiteral("Disconnected from NMEA Sensor on ") + r->portDisplayName());
        emit show.depthFramesColourChanged(colors::Red);
        portProblem_[1] = r->problem() + QStringLiteral("; trying again");
        updateStatus();
    });
    connect(&sounder_, &R::OnIdle, this, [this, &show](R*) {
        message(QStringLiteral("Sensor timeout! Check your connection to the Sensor."));
        emit show.depthFramesColourChanged(colors::Red);
    });
    connect(&sounder_, &R::OnTimeout, this, [this, &show](R*) {
        message(QStringLiteral("Sensor TimeOut."));
        emit show.depthFramesColourChanged(colors::Red);
    });
}

void RealtimeSurvey::onGnssLine(const NmeaSentence& s, const GnssReading& reading) {
    if (monitorRunning()) emit indicators_.monitorLineReceived(PortRole::Gnss, bytes(s.line));
    const OffsetFieldTexts offsets = models_.offsets.fieldTexts();
    const GnssLineOutcome out =
        tracker_.apply(reading, gnss_.lineArrivedMs(), latencyMs_[0],
                       windowShown(SurveyWindow::Offsets) ? nullptr : &offsets);
    if (!out.error.isEmpty()) {
        reportError(out.error);
    } else if (out.fixIndicator) {
        emit indicators_.fixIndicatorColourChanged(*out.fixIndicator);
    }
    // A network mountpoint needs to know where the boat is.
    if (out.epoch && s.type == SentenceType::GGA && ntrip_->started())
        ntrip_->setGga(bytes(s.line));
    if (out.epoch) {
        const GnssEpoch& e = tracker_.current();
        // Projected once, for the row, the vessel and whoever comes next.
        if (placer_.taken())
            tracker_.setGrid(placer_.place(e.latitudeDeg, e.longitudeDeg, e.altitudeM));
        lastEpochMs_ = e.receivedAtMs;
        if (interpolate_) timeline_.addEpoch(e);
        alarmChanges(alarms_.onEpoch(e, clock_.msecsSinceEpoch()));
        emit epochReceived(e);
        if (interpolate_) settleRows();
        if (gnssStale_) gnssResumed();
    }
    if (s.type == SentenceType::RMC || s.type == SentenceType::ZDA) {
        if (const auto utc = receiverUtcMs(s)) receiverClock_.add(gnss_.lineArrivedMs(), *utc);
    }
    if (out.speedChanged) {
        emit indicators_.speedTextChanged(
            QString::fromStdString(formatFixed(tracker_.current().speedKnots, 1)));
    }
    if (running_ && repeats_.on) {
        // Each sentence as often as its source: GGA per epoch, VTG per new
        // motion, HDT per heading read.
        const GnssEpoch& e = tracker_.current();
        std::vector<std::string> lines;
        if (repeats_.echo) lines.push_back(std::string(s.line) + "\r\n");
        if (out.epoch && repeats_.gga) lines.push_back(repeaterGga(e));
        if (out.speedChanged && repeats_.vtg)
            lines.push_back(repeaterVtg(e.courseDeg, e.speedKnots));
        if (reading.headingDeg && repeats_.hdt) lines.push_back(repeaterHdt(*reading.headingDeg));
        repeat(lines);
    }
}

void RealtimeSurvey::onSounderLine(std::string_view line) {
    if (monitorRunning()) emit indicators_.monitorLineReceived(PortRole::Sounder, bytes(line));
    emit indicators_.depthFramesColourChanged(colors::Lime);
    // Before the first GNSS line the offsets snapshot is empty, and a sound
    // velocity of 0 would log every depth as the draft: take it here once.
    if (!tracker_.offsetsTaken() && !windowShown(SurveyWindow::Offsets)) {
        QString error;
        if (!tracker_.takeOffsets(models_.offsets.fieldTexts(), error)) reportError(error);
    }
    SounderLineInputs in;
    in.family = models_.device.sbesMessage;
    in.pattern = models_.device.sbesFormat;
    in.alertDepthText = models_.navigation.depthAlert;
    in.offsetAText = models_.offsets.offsetA;
    in.useProfile = models_.svp.profileInUse();
    in.velocityColumn = &models_.svp.column;
    in.offsets = tracker_.offsets();
    const SounderLineResult r = sounderHandler_.handle(line, in);
    if (!r.error.isEmpty()) reportError(r.error);
    if (!r.sounding) return;
    CorrectedSounding& s = sounding_.emplace(*r.sounding);
    s.receivedAtMs = sounder_.lineArrivedMs();
    s.timeMs = s.receivedAtMs - latencyMs_[1];
    emit indicators_.depthTextsChanged(depthText(s.shownHi()), depthText(s.shownLo()));
    if (s.batteryVoltage) {
        emit indicators_.batteryVoltageChanged(
            QString::fromStdString(formatFixed(*s.batteryVoltage, 2)));
    }
    // Before the sounding is counted, so that a line log counts it under its own alarm.
    alarmChanges(alarms_.onSounding(s, clock_.msecsSinceEpoch()));
    emit soundingCorrected(s);
    if (running_ && repeats_.on) {
        std::vector<std::string> out;
        if (repeats_.echo) out.push_back(std::string(line) + "\r\n");
        if (const std::optional<double> d = s.depth()) {
            if (repeats_.dpt) out.push_back(repeaterDpt(*d));
            if (repeats_.dbt) out.push_back(repeaterDbt(*d));
        }
        repeat(out);
    }
    if (!s.rowDue) return;
    if (interpolate_) {
        timeline_.addSounding(s);
        settleRows();
    } else {
        // The last epoch, or no position after a gap.
        writeCoordinateRow(s, tracker_.current());
    }
}

void RealtimeSurvey::settleRows() {
    if (timeline_.waiting()) writeRows(timeline_.take(clock_.msecsSinceEpoch()));
}

void RealtimeSurvey::writeRows(std::vector<SoundingTimeline::Placed> placed) {
    for (const SoundingTimeline::Placed& p : placed)
        writeCoordinateRow(p.sounding, p.epoch);
}

void RealtimeSurvey::writeCoordinateRow(const CorrectedSounding& s, const GnssEpoch& e) {
    CoordinateRow row;
    row.time = QDateTime::fromMSecsSinceEpoch(s.timeMs);  // the sounding's own moment
    row.latitude = e.latitudeDeg;
    row.longitude = e.longitudeDeg;
    // Parameters taken after the epoch came: it is placed now.
    const std::optional<GridPosition> grid =
        e.grid ? e.grid : placer_.place(e.latitudeDeg, e.longitudeDeg, e.altitudeM);
    if (grid) {
        row.easting = grid->easting;
        row.northing = grid->northing;
    }
    row.trueDepthHi = s.trueHi;
    row.trueDepthLo = s.trueLo;
    row.rawDepthHi = s.rawHi;
    row.rawDepthLo = s.rawLo;
    row.messageFormat = s.family;
    row.soundVelocity = s.soundVelocity;
    row.transducerDraft = s.offsets.offsetA;
    row.fixQuality = e.fixQuality;
    row.antennaHeight = e.antennaHeightM;
    row.manualTide = tideOf(s, e);
    row.rtkTide = e.rtkTideM;
    logs_.appendCoordinateRow(row);
    if (grid) emit soundingLogged(row);
}

void RealtimeSurvey::RealtimeClick() {
    if (running_) {
        stop();
    } else {
        start();
    }
}

void RealtimeSurvey::start() {
    logs_.appendGeodesyLog(models_.device.geodeticParameters());
    const QualitySettings& quality = models_.quality;
    latencyMs_[0] = quality.gnssLatencyMs();
    latencyMs_[1] = quality.sounderLatencyMs();
    interpolate_ = quality.interpolate;
    timeline_.setOptions({quality.interpolate, quality.interpolationWaitMs()});
    takeVerticalReduction();
    // Parameters are taken as real time starts, so that the first rows
    // already carry their grid position; a failure is retried each tick.
    placer_.take(models_);
    // The offsets just confirmed hold from the first sounding on, also
    // when the Offsets window stays open (then no line refreshes them).
    QString offsetsError;
    if (!tracker_.takeOffsets(models_.offsets.fieldTexts(), offsetsError))
        reportError(offsetsError);
    const QDate today = clock_.now().date();
    applyPortSettings(models_.device.gps, gnss_,
                      logs_.folders().rawLogPath(RawLogKind::Gnss, today));
    applyPortSettings(models_.device.sensor, sounder_,
                      logs_.folders().rawLogPath(RawLogKind::Sounder, today));
    gnss_.Open();
    // The reader tries again quietly; until it opens, the survey says
    // which port does not work and why.
    if (!gnss_.isOpen()) portProblem_[0] = gnss_.problem() + QStringLiteral("; trying again");
    if (models_.device.sensorEnabled) {
        sounder_.Open();
        if (!sounder_.isOpen())
            portProblem_[1] = sounder_.problem() + QStringLiteral("; trying again");
        // The reader has reported why through its error path; the memo
        // must not claim the port opened.
        if (sounder_.isOpen()) {
            emit messagePosted(QStringLiteral("ZSENSOR Open called on port: ") +
                               sounder_.portDisplayName());
        } else if (!sounder_.openError().isEmpty()) {
            emit messagePosted(QStringLiteral("ZSENSOR Open failed: ") + sounder_.openError());
        } else {
            emit messagePosted(QStringLiteral("ZSENSOR Open failed with unknown error"));
        }
        emit echogramShowRequested();
        cycle_.startEchogram();
        emit indicators_.depthFramesVisibleChanged(true);
    } else {
        emit indicators_.depthFramesVisibleChanged(false);
    }
    const RepeaterSettings& r = models_.repeater;
    repeats_ = {r.enabled,
                r.echoInput,
                r.sends(QStringLiteral("GGA")),
                r.sends(QStringLiteral("VTG")),
                r.sends(QStringLiteral("HDT")),
                r.sends(QStringLiteral("DPT")),
                r.sends(QStringLiteral("DBT")),
                r.guidance};
    repeater_->configure(r.enabled ? r.destination : QString());
    if (const NtripSettings& n = models_.ntrip; n.enabled) {
        if (const QString problem = n.problem(); problem.isEmpty()) {
            ntrip_->start(n.caster());
        } else {
            reportError(QStringLiteral("NTRIP corrections not started: ") + problem);
        }
    }
    alarms_.start(models_.quality, models_.device.sensorEnabled, clock_.msecsSinceEpoch());
    receiverClock_.clear();
    alarmTimer_->start();
    running_ = true;
    everStarted_ = true;
    // Before the first epoch there is no GPS data either.
    gnssStale_ = true;
    emit realtimeStartedChanged(true);
    cycle_.start();
    logs_.AppendEventLog(QStringLiteral("Realtime STARTED"));
    updateStatus();
}

void RealtimeSurvey::stop() {
    closeReaders();
    gnssStale_ = false;
    portProblem_[0].clear();
    portProblem_[1].clear();
    // The next start must not take the position from before the stop.
    tracker_.positionLost(gnss_.nav());
    timeline_.positionLost(tracker_.current());
    emit realtimeStartedChanged(false);
    logs_.AppendEventLog(QStringLiteral("Realtime STOPPED"));
    emit indicators_.gpsGroupColourChanged(colors::Silver);
    emit indicators_.depthFramesColourChanged(colors::Silver);
    updateStatus();
    // After stop the logs are complete on disk, for the office and for
    // runs that read them next.
    flushLogs();
}

void RealtimeSurvey::closeReaders() {
    gnss_.Close();
    sounder_.Close();
    // The soundings that waited for their epoch are written; the alarms end with real time.
    writeRows(timeline_.takeAll());
    alarmTimer_->stop();
    alarmChanges(alarms_.stop(clock_.msecsSinceEpoch()));
    cycle_.stop();
    cycle_.stopEchogram();
    repeater_->close();
    ntrip_->stop();
    running_ = false;
}

void RealtimeSurvey::updateStatus() {
    QStringList parts;
    if (!running_ && everStarted_) parts << QStringLiteral("Realtime stopped");
    for (const QString& problem : portProblem_) {
        if (running_ && !problem.isEmpty()) parts << problem;
    }
    if (running_ && gnssStale_) {
        parts << (lastEpochMs_ != 0 ? QStringLiteral("No GPS data since ") + clockText(lastEpochMs_)
                                    : QStringLiteral("No GPS data yet"));
    }
    emit statusChanged(parts.join(QStringLiteral(" | ")));
}

void RealtimeSurvey::positionLost() {
    cycle_.stop();
    tracker_.positionLost(gnss_.nav());
    timeline_.positionLost(tracker_.current());
    settleRows();
    gnssStale_ = true;
    // The overlay must not go on showing the last fix as if it were live.
    emit gnssWentStale(lastEpochMs_ != 0
                           ? QStringLiteral("No GPS data since ") + clockText(lastEpochMs_)
                           : QStringLiteral("No GPS data"));
    updateStatus();
}

void RealtimeSurvey::gnssResumed() {
    gnssStale_ = false;
    // The gap stopped the tick; the first epoch after it starts it again,
    // unless the operator is drawing (the end of the drawing does).
    if (running_ && !cycle_.drawing() && !cycle_.active()) cycle_.start();
    emit indicators_.fixIndicatorColourChanged(fixQualityColor(gnss_.FixQuality()));
    updateStatus();
}

}  // namespace nivora
