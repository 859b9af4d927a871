#include "survey/survey_session.h"

#include <QFileInfo>

#include "canvas/canvas_document.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "sensors/fix_quality.h"

namespace nivora {

namespace {

QString clockText(const QDateTime& t) {
    return t.time().toString(QStringLiteral("HH:mm:ss"));
}

}  // namespace

QString depthText(std::optional<double> depth) {
    return depth ? QString::fromStdString(formatFixed(*depth, 2)) : QStringLiteral("---");
}

SurveySession::SurveySession(SurveyModels& models, const DayFolders& folders, CanvasDocument& doc,
                             Clock& clock, TimerSource& timers, OperatorPrompts* prompts,
                             QObject* parent)
    : QObject(parent),
      models_(models),
      doc_(doc),
      clock_(clock),
      prompts_(prompts),
      logs_(
          folders, clock, [this](const QString& e) { reportError(e); }, &writer_),
      errors_(clock,
              [this](const QString& text) {
                  logs_.AppendEventLog(text);
                  emit errorPosted(text);
              }),
      gnss_(clock, timers),
      sounder_(clock, timers),
      gnssHandler_(state_),
      sounderHandler_(state_),
      mapTimer_(timers.createTimer()),
      echogramTimer_(timers.createTimer()),
      background_(models.navigation.backgroundColor) {
    gnss_.Role = QStringLiteral("GPS");
    sounder_.Role = QStringLiteral("echosounder");
    for (TNivoraSerialGPS* r : {&gnss_, &sounder_}) {
        r->TimeFormat = QString::fromLatin1(kTimeFormat);
        r->DateFormat = QString::fromLatin1(kDateFormat);
        r->setLogWriter(&writer_);
    }
    // In virtual time a survey runs far faster than any sensor and nobody
    // waits for a window: a full log queue waits for the writer there, so
    // that a run logs every row. On the wall clock the window never waits.
    if (dynamic_cast<const VirtualTime*>(&clock)) {
        writer_.setWhenFull(LogWriter::WhenFull::WaitForWriter);
    }
    mapTimer_->setInterval(kInitialMapIntervalMs);
    mapTimer_->setCallback([this] { tMapTimer(); });
    echogramTimer_->setInterval(kEchogramIntervalMs);
    echogramTimer_->setCallback([this] { tEchogramTimer(); });
    // A saved update period applies from the start, not when its window opens.
    if (const auto ms = models_.navigation.timerIntervalMs()) mapTimer_->setInterval(*ms);
    connectReaders();
    EnsureLayers();
    // What the settings windows change and the survey follows.
    SettingsChanges& changes = models_.changes;
    connect(&changes, &SettingsChanges::updatePeriodChanged, this,
            &SurveySession::setMapTimerInterval);
    connect(&changes, &SettingsChanges::backgroundChanged, this, [this](TColor colour) {
        background_ = colour;
        emit canvasBackgroundChanged(colour);
    });
}

SurveySession::~SurveySession() {
    // Readers close without raising events into a half-destroyed session.
    gnss_.blockSignals(true);
    sounder_.blockSignals(true);
    gnss_.Close();
    sounder_.Close();
    // What the readers and the logs queued reaches the disk before they go.
    writer_.flush();
}

void SurveySession::flushLogs() {
    logs_.flush();
    gnss_.flushLog();
    sounder_.flushLog();
}

void SurveySession::setTransportFactories(TransportFactory gnss, TransportFactory sounder) {
    gnss_.setTransportFactory(std::move(gnss));
    sounder_.setTransportFactory(std::move(sounder));
}

void SurveySession::message(const QString& text) {
    logs_.AppendEventLog(text);
    emit messagePosted(text);
}

void SurveySession::reportError(const QString& text) {
    errors_.report(text);
}

bool SurveySession::askYesNo(const QString& question) {
    return prompts_ && prompts_->askYesNo(question);
}

QString SurveySession::dialogFolder(const QString& lastFolder) const {
    for (const QString& folder :
         {lastFolder, logs_.folders().layoutsFolder(), logs_.folders().dayFolder()}) {
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    }
    return {};
}

QString SurveySession::chooseOpenFile(const QString& title, const QString& filter,
                                      QString& lastFolder) {
    if (!prompts_) return {};
    const QString name = prompts_->chooseOpenFile(title, filter, dialogFolder(lastFolder));
    if (!name.isEmpty()) lastFolder = QFileInfo(name).absolutePath();
    return name;
}

QString SurveySession::chooseSaveFile(const QString& title, const QString& filter,
                                      QString& lastFolder, const QString& extension) {
    if (!prompts_) return {};
    QString name = prompts_->chooseSaveFile(title, filter, dialogFolder(lastFolder));
    if (name.isEmpty()) return name;
    // Without it the dialog's own filter would hide the file next time.
    if (QFileInfo(name).suffix().isEmpty()) name += extension;
    lastFolder = QFileInfo(name).absolutePath();
    return name;
}

void SurveySession::saveSettings(const std::function<void(IniStore&)>& change) {
    QString error;
    if (!models_.file.update(change, &error)) reportError(error);
}

void SurveySession::setMapTimerInterval(int ms) {
    mapTimer_->setInterval(std::max(1, ms));
}

void SurveySession::connectReaders() {
    using R = TNivoraSerialGPS;
    gnss_.setLineSink([this](const NmeaSentence& s) { onGnssLine(s); });
    sounder_.setLineSink([this](const NmeaSentence& s) { onSounderLine(s.line); });

    connect(&gnss_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to GPS on ") + r->portDisplayName());
        emit realtimeButtonDownChanged(true);
        doc_.SetLayerAction(doc_.LayerFindByName(layer_names::Vessel), 1);
        mapTimer_->start();
        portProblem_[0].clear();
        updateSurveyStatus();
    });
    connect(&gnss_, &R::OnDisconnect, this, [this](R* r, quint32) {
        mapTimer_->stop();
        message(QStringLiteral("Disconnected from GPS on ") + r->portDisplayName());
        emit realtimeButtonDownChanged(false);
    });
    // A port that went away: the survey goes on without it (soundings are
    // still logged, with no position rather than the last one) while the
    // reader tries to open it again; OnConnect says when it is back.
    connect(&gnss_, &R::OnPortLost, this, [this](R* r, const QString&) {
        mapTimer_->stop();
        state_.CurrentLatitude = 0;
        state_.CurrentLongitude = 0;
        message(QStringLiteral("Disconnected from GPS on ") + r->portDisplayName());
        emit gpsGroupColourChanged(colors::Red);
        portProblem_[0] = r->problem() + QStringLiteral("; trying again");
        gnssWentStale();
    });
    connect(&gnss_, &R::OnIdle, this, [this](R*) {
        mapTimer_->stop();
        state_.CurrentLatitude = 0;
        state_.CurrentLongitude = 0;
        message(QStringLiteral("GPS is idle!"));
        emit gpsGroupColourChanged(colors::Red);
        gnssWentStale();
    });
    connect(&gnss_, &R::OnTimeout, this, [this](R*) {
        message(QStringLiteral("GPS Timeout!"));
        emit gnssMonitorColourChanged(colors::Red);
    });
    connect(&gnss_, &R::OnPosition3DChange, this, [this](R*, double lat, double lon, double alt) {
        state_.CurrentLatitude = lat;
        state_.CurrentLongitude = lon;
        state_.CurrentAltitude = alt;
    });
    connect(&gnss_, &R::OnEpoch, this, [this](R* r) {
        lastEpoch_ = clock_.now();
        if (!gnssStale_) return;
        // The gap zeroed the position; a boat that has not moved sends the
        // same one again, which is no change for the reader.
        state_.CurrentLatitude = r->Latitude();
        state_.CurrentLongitude = r->Longitude();
        state_.CurrentAltitude = r->Altitude();
        gnssResumed();
    });
    connect(&gnss_, &R::OnSpeedChange, this, [this](R*, double kmh) {
        // Kept as the label shows it (one decimal), so the overlay and the
        // label never disagree.
        const std::string text = formatFixed(kmh / 1.852, 1);
        state_.SpeedShownKnots = parseNumber(text).value_or(0.0);
        emit speedTextChanged(QString::fromStdString(text));
    });
    connect(&gnss_, &R::OnSend, this, [this](R*, const QByteArray& text) {
        message(QStringLiteral("Command sent to device: ") + QString::fromLatin1(text));
    });
    connect(&gnss_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });

    connect(&sounder_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });
    // A silent sounder must not go unnoticed: soundings are the survey.
    connect(&sounder_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to NMEA Sensor on ") + r->portDisplayName());
        portProblem_[1].clear();
        updateSurveyStatus();
    });
    connect(&sounder_, &R::OnDisconnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Disconnected from NMEA Sensor on ") + r->portDisplayName());
    });
    connect(&sounder_, &R::OnPortLost, this, [this](R* r, const QString&) {
        message(QStringLiteral("Disconnected from NMEA Sensor on ") + r->portDisplayName());
        emit depthFramesColourChanged(colors::Red);
        portProblem_[1] = r->problem() + QStringLiteral("; trying again");
        updateSurveyStatus();
    });
    connect(&sounder_, &R::OnIdle, this, [this](R*) {
        message(QStringLiteral("Sensor timeout! Check your connection to the Sensor."));
        emit depthFramesColourChanged(colors::Red);
    });
    connect(&sounder_, &R::OnTimeout, this, [this](R*) {
        message(QStringLiteral("Sensor TimeOut."));
        emit depthFramesColourChanged(colors::Red);
    });
}

void SurveySession::onGnssLine(const NmeaSentence& s) {
    if (monitorRunning()) {
        emit monitorLineReceived(PortRole::Gnss,
                                 QByteArray(s.line.data(), static_cast<qsizetype>(s.line.size())));
    }
    const OffsetFieldTexts offsets = models_.offsets.fieldTexts();
    GnssLineInputs in;
    in.offsetsWindowVisible = offsetsVisible_;
    in.offsets = &offsets;
    in.readerFixQuality = gnss_.FixQuality();
    const GnssLineResult r = gnssHandler_.handle(s, in);
    if (!r.error.isEmpty()) {
        reportError(r.error);
        return;
    }
    if (r.fixIndicatorChanged) emit fixIndicatorColourChanged(r.fixIndicatorColor);
}

void SurveySession::onSounderLine(std::string_view line) {
    if (monitorRunning()) {
        emit monitorLineReceived(PortRole::Sounder,
                                 QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    }
    emit depthFramesColourChanged(colors::Lime);
    // Before the first GNSS line the offsets snapshot is empty, and a sound
    // velocity of 0 would log every depth as the draft: take it here once.
    if (!gnssHandler_.offsetsTaken() && !offsetsVisible_) {
        QString error;
        if (!gnssHandler_.takeOffsets(models_.offsets.fieldTexts(), error)) reportError(error);
    }
    SounderLineInputs in;
    in.family = models_.device.sbesMessage;
    in.pattern = models_.device.sbesFormat;
    in.alertDepthText = models_.navigation.depthAlert;
    in.offsetAText = models_.offsets.offsetA;
    in.useProfile = models_.svp.profileInUse();
    in.velocityColumn = &models_.svp.column;
    in.realtimeRunning = state_.Running;
    in.canvasBackground = background_;
    in.chosenBackground = models_.navigation.backgroundColor;
    const SounderLineResult r = sounderHandler_.handle(line, in);
    if (!r.error.isEmpty()) reportError(r.error);
    if (r.scanned) {
        depthHighText_ = depthText(state_.shownDepthHi());
        depthLowText_ = depthText(state_.shownDepthLo());
        emit depthTextsChanged(depthHighText_, depthLowText_);
    }
    if (r.batteryVoltage)
        emit batteryVoltageChanged(QString::fromStdString(formatFixed(*r.batteryVoltage, 2)));
    if (r.newBackground) {
        background_ = *r.newBackground;
        emit canvasBackgroundChanged(background_);
    }
    if (r.repaint) emit canvasRepaintRequested();
    if (r.rowDue) writeCoordinateRow();
}

std::optional<std::pair<double, double>> SurveySession::gridPosition(double latitude,
                                                                     double longitude,
                                                                     double altitude) {
    if (!projector_ || (latitude == 0 && longitude == 0)) return std::nullopt;
    const geodesy::FixResult r = projector_->project(latitude, longitude, altitude);
    if (!r.placed()) return std::nullopt;
    return std::make_pair(r.easting, r.northing);
}

void SurveySession::writeCoordinateRow() {
    CoordinateRow row;
    row.time = clock_.now();
    row.latitude = state_.CurrentLatitude;
    row.longitude = state_.CurrentLongitude;
    // The sounding's own position, not the one the last tick left: at survey
    // speed the two are metres apart.
    if (const auto grid = gridPosition(row.latitude, row.longitude, state_.CurrentAltitude)) {
        row.easting = grid->first;
        row.northing = grid->second;
    }
    row.trueDepthHi = state_.TrueDepthHi;
    row.trueDepthLo = state_.TrueDepthLo;
    row.rawDepthHi = state_.RawDepthHi;
    row.rawDepthLo = state_.RawDepthLo;
    row.messageFormat = models_.device.sbesMessage;
    row.soundVelocity = state_.SoundVelocityUsed;
    row.transducerDraft = state_.Offsets.offsetA;
    row.fixQuality = gnss_.FixQuality();
    row.antennaHeight = state_.AntennaHeight;
    row.manualTide = state_.Offsets.tideHeight;
    row.rtkTide = state_.GnssTide;
    logs_.appendCoordinateRow(row);
    state_.NewDepth = true;
}

void SurveySession::RealtimeClick() {
    if (!state_.Running) {
        logs_.appendGeodesyLog(models_.device.geodeticParameters());
        // Parameters are taken as real time starts, so that the first rows
        // already carry their grid position; a failure is retried each tick.
        if (!projector_) takeParameters();
        // The offsets just confirmed hold from the first sounding on, also
        // when the Offsets window stays open (then no line refreshes them).
        QString offsetsError;
        if (!gnssHandler_.takeOffsets(models_.offsets.fieldTexts(), offsetsError))
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
            echogramTimer_->start();
            emit depthFramesVisibleChanged(true);
        } else {
            emit depthFramesVisibleChanged(false);
        }
        emit realtimeStartedChanged(true);
        mapTimer_->start();
        logs_.AppendEventLog(QStringLiteral("Realtime STARTED"));
        state_.Running = true;
        everStarted_ = true;
        // Before the first epoch there is no GPS data either.
        gnssStale_ = true;
        updateSurveyStatus();
    } else {
        gnss_.Close();
        sounder_.Close();
        mapTimer_->stop();
        echogramTimer_->stop();
        emit realtimeStartedChanged(false);
        logs_.AppendEventLog(QStringLiteral("Realtime STOPPED"));
        state_.Running = false;
        showStopped();
        // After stop the logs are complete on disk, for the office and for
        // runs that read them next.
        flushLogs();
    }
}

void SurveySession::updateSurveyStatus() {
    QStringList parts;
    if (!state_.Running && everStarted_) parts << QStringLiteral("Realtime stopped");
    for (const QString& problem : portProblem_) {
        if (state_.Running && !problem.isEmpty()) parts << problem;
    }
    if (state_.Running && gnssStale_) {
        parts << (lastEpoch_.isValid()
                      ? QStringLiteral("No GPS data since ") + clockText(lastEpoch_)
                      : QStringLiteral("No GPS data yet"));
    }
    emit statusPanelChanged(6, parts.join(QStringLiteral(" | ")));
}

void SurveySession::gnssWentStale() {
    gnssStale_ = true;
    // The overlay must not go on showing the last fix as if it were live.
    state_.GgaOverlayText = lastEpoch_.isValid()
                                ? QStringLiteral("No GPS data since ") + clockText(lastEpoch_)
                                : QStringLiteral("No GPS data");
    doc_.SetPositionStatus(state_.GgaOverlayText, 0);
    doc_.SetCurrentSpeed(state_.SpeedKnots, false);
    emit canvasRepaintRequested();
    updateSurveyStatus();
}

void SurveySession::gnssResumed() {
    gnssStale_ = false;
    // The idle line stopped the tick; the first epoch after it starts it
    // again, unless the operator is drawing (the end of the drawing does).
    if (state_.Running && !drawing_ && !mapTimer_->isActive()) mapTimer_->start();
    emit fixIndicatorColourChanged(fixQualityColor(gnss_.FixQuality()));
    updateSurveyStatus();
}

void SurveySession::showStopped() {
    gnssStale_ = false;
    portProblem_[0].clear();
    portProblem_[1].clear();
    state_.GgaOverlayText = QStringLiteral("Realtime stopped");
    doc_.SetPositionStatus(state_.GgaOverlayText, 0);
    doc_.SetCurrentDepth(0, 0, false);
    doc_.SetCurrentSpeed(0, false);
    emit gpsGroupColourChanged(colors::Silver);
    emit depthFramesColourChanged(colors::Silver);
    emit canvasRepaintRequested();
    updateSurveyStatus();
}

void SurveySession::tEchogramTimer() {
    // No depth is a gap in the echogram.
    if (echogramVisible_ && state_.NewDepth)
        emit echogramDepthAdded(state_.soundingDepth().value_or(0.0));
    state_.NewDepth = false;
}

bool SurveySession::createDayFolders(QString* text) {
    return logs_.folders().create(text);
}

QString SurveySession::rawLogPath(PortRole role) {
    return logs_.folders().rawLogPath(
        role == PortRole::Gnss ? RawLogKind::Gnss : RawLogKind::Sounder, clock_.now().date());
}

}  // namespace nivora
