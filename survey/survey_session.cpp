#include "survey/survey_session.h"

#include <QFileInfo>

#include "canvas/canvas_document.h"
#include "core/date_time_text.h"
#include "core/ini_store.h"
#include "core/number_format.h"
#include "sensors/fix_quality.h"

namespace nivora {

void SurveyModels::load(const QString& iniPath) {
    const IniStore ini(iniPath);
    device.load(ini);
    offsets.load(ini);
    const QFileInfo fi(iniPath);
    svp.create(ini, fi.absolutePath() + QLatin1Char('/') + fi.completeBaseName());
    navigation.load(ini);
    vesselShape.load(ini);
    latency.load(ini);
}

SurveySession::SurveySession(const QString& iniPath, const DayFolders& folders, SurveyModels& models,
                             CanvasDocument& doc, Clock& clock, TimerSource& timers, SessionView& view,
                             QObject* parent)
    : QObject(parent),
      iniPath_(iniPath),
      models_(models),
      doc_(doc),
      clock_(clock),
      view_(view),
      logs_(folders, clock, [this](const QString& e) { reportError(e); }),
      errors_(clock,
              [this](const QString& text) {
                  logs_.AppendEventLog(text);
                  view_.error(text);
              }),
      gnss_(clock, timers),
      sounder_(clock, timers),
      gnssHandler_(state_),
      sounderHandler_(state_),
      mapTimer_(timers.createTimer()),
      echogramTimer_(timers.createTimer()),
      background_(models.navigation.backgroundColor) {
    for (TNivoraSerialGPS* r : {&gnss_, &sounder_}) {
        r->TimeFormat = QString::fromLatin1(kTimeFormat);
        r->DateFormat = QString::fromLatin1(kDateFormat);
    }
    mapTimer_->setInterval(kInitialMapIntervalMs);
    mapTimer_->setCallback([this] { tMapTimer(); });
    echogramTimer_->setInterval(kEchogramIntervalMs);
    echogramTimer_->setCallback([this] { tEchogramTimer(); });
    // The navigation settings apply their update period as they load.
    if (const auto ms = models_.navigation.timerIntervalMs()) mapTimer_->setInterval(*ms);
    connectReaders();
    EnsureLayers();
}

SurveySession::~SurveySession() {
    // Readers close without raising events into a half-destroyed session.
    gnss_.blockSignals(true);
    sounder_.blockSignals(true);
    gnss_.Close();
    sounder_.Close();
}

void SurveySession::setTransportFactories(TransportFactory gnss, TransportFactory sounder) {
    gnss_.setTransportFactory(std::move(gnss));
    sounder_.setTransportFactory(std::move(sounder));
}

void SurveySession::message(const QString& text) {
    logs_.AppendEventLog(text);
    view_.message(text);
}

void SurveySession::reportError(const QString& text) { errors_.report(text); }

void SurveySession::setMapTimerInterval(int ms) { mapTimer_->setInterval(std::max(1, ms)); }

void SurveySession::connectReaders() {
    using R = TNivoraSerialGPS;
    connect(&gnss_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to GPS on ") + r->portDisplayName());
        view_.realtimeButtonDown(true);
        doc_.SetLayerAction(doc_.LayerFindByName(layer_names::Vessel), 1);
        mapTimer_->start();
    });
    connect(&gnss_, &R::OnDisconnect, this, [this](R* r, quint32) {
        mapTimer_->stop();
        message(QStringLiteral("Disconnected from GPS on ") + r->portDisplayName());
        view_.realtimeButtonDown(false);
    });
    connect(&gnss_, &R::OnIdle, this, [this](R*) {
        mapTimer_->stop();
        state_.CurrentLatitude = 0;
        state_.CurrentLongitude = 0;
        message(QStringLiteral("GPS is idle!"));
        view_.gpsGroupColour(colors::Red);
    });
    connect(&gnss_, &R::OnTimeout, this, [this](R*) {
        message(QStringLiteral("GPS Timeout!"));
        view_.gnssMonitorColour(colors::Red);
    });
    connect(&gnss_, &R::OnNewCommand, this, [this](R*, const QByteArray& line) { onGnssLine(line); });
    connect(&gnss_, &R::OnPosition3DChange, this, [this](R*, double lat, double lon, double alt) {
        state_.CurrentLatitude = lat;
        state_.CurrentLongitude = lon;
        state_.CurrentAltitude = alt;
    });
    connect(&gnss_, &R::OnSpeedChange, this, [this](R*, double kmh) {
        speedLabel_ = QString::fromStdString(formatFixed(kmh / 1.852, 1));
        view_.speedLabel(speedLabel_);
    });
    connect(&gnss_, &R::OnSend, this, [this](R*, const QByteArray& text) {
        message(QStringLiteral("Command sent to device: ") + QString::fromLatin1(text));
    });
    connect(&gnss_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });

    connect(&sounder_, &R::OnNewCommand, this, [this](R*, const QByteArray& line) { onSounderLine(line); });
    connect(&sounder_, &R::OnError, this, [this](R*, const QString& e) { reportError(e); });
    // A silent sounder must not go unnoticed: soundings are the survey.
    connect(&sounder_, &R::OnConnect, this, [this](R* r, quint32) {
        message(QStringLiteral("Connected to NMEA Sensor on ") + r->portDisplayName());
    });
    connect(&sounder_, &R::OnIdle, this, [this](R*) {
        message(QStringLiteral("Sensor timeout! Check your connection to the Sensor."));
        view_.depthFramesColour(colors::Red);
    });
    connect(&sounder_, &R::OnTimeout, this, [this](R*) {
        message(QStringLiteral("Sensor TimeOut."));
        view_.depthFramesColour(colors::Red);
    });
}

void SurveySession::onGnssLine(const QByteArray& line) {
    if (view_.monitorVisible()) view_.monitorLine(PortRole::Gnss, line);
    const OffsetFieldTexts offsets = models_.offsets.fieldTexts();
    GnssLineInputs in;
    in.offsetsWindowVisible = view_.offsetsWindowVisible();
    in.offsets = &offsets;
    in.readerFixQuality = gnss_.FixQuality();
    const GnssLineResult r =
        gnssHandler_.handle(std::string_view(line.constData(), static_cast<std::size_t>(line.size())), in);
    if (!r.error.isEmpty()) {
        reportError(r.error);
        return;
    }
    if (r.fixIndicatorChanged) view_.fixIndicator(r.fixIndicatorColor);
}

void SurveySession::onSounderLine(const QByteArray& line) {
    if (view_.monitorVisible()) view_.monitorLine(PortRole::Sounder, line);
    view_.depthFramesColour(colors::Lime);
    // Before the first GNSS line the offsets snapshot is empty, and a sound
    // velocity of 0 would log every depth as the draft: take it here once.
    if (!gnssHandler_.offsetsTaken() && !view_.offsetsWindowVisible()) {
        QString error;
        if (!gnssHandler_.takeOffsets(models_.offsets.fieldTexts(), error)) {
            reportError(error);
            return;
        }
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
    const SounderLineResult r =
        sounderHandler_.handle(std::string_view(line.constData(), static_cast<std::size_t>(line.size())), in);
    if (!r.error.isEmpty()) reportError(r.error);
    if (r.scanned) {
        depthHighText_ = QString::fromStdString(formatFixed(state_.TrueDepthHi, 2));
        depthLowText_ = QString::fromStdString(formatFixed(state_.TrueDepthLo, 2));
        view_.depthLabels(depthHighText_, depthLowText_);
    }
    if (r.batteryVoltage) view_.batteryVoltage(QString::fromStdString(formatFixed(*r.batteryVoltage, 2)));
    if (r.newBackground) {
        background_ = *r.newBackground;
        view_.canvasBackground(background_);
    }
    if (r.repaint) view_.repaintCanvas();
    if (r.rowDue) writeCoordinateRow();
}

std::optional<std::pair<double, double>> SurveySession::gridPosition(double latitude, double longitude,
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
        logs_.appendGeodesyLog(IniStore(iniPath_));
        const QDate today = clock_.now().date();
        applyPortSettings(models_.device.gps, gnss_, logs_.folders().rawLogPath(RawLogKind::Gnss, today));
        applyPortSettings(models_.device.sensor, sounder_, logs_.folders().rawLogPath(RawLogKind::Sounder, today));
        gnss_.Open();
        if (models_.device.sensorEnabled) {
            sounder_.Open();
            view_.message(QStringLiteral("ZSENSOR Open called on port: ") + sounder_.portDisplayName());
            view_.showEchogram();
            echogramTimer_->start();
            view_.depthFramesVisible(true);
        } else {
            view_.depthFramesVisible(false);
        }
        view_.realtimeStarted(true);
        mapTimer_->start();
        logs_.AppendEventLog(QStringLiteral("Realtime STARTED"));
        state_.Running = true;
    } else {
        gnss_.Close();
        sounder_.Close();
        mapTimer_->stop();
        echogramTimer_->stop();
        view_.realtimeStarted(false);
        logs_.AppendEventLog(QStringLiteral("Realtime STOPPED"));
        state_.Running = false;
    }
}

void SurveySession::tEchogramTimer() {
    if (view_.echogramVisible() && state_.NewDepth) view_.echogramDepth(state_.TrueDepthHi);
    state_.NewDepth = false;
}

}  // namespace nivora
