// The real-time tick: the latest fix becomes the vessel's grid position, the
// vessel symbol, track marks, depth labels, overlays and read-outs.

#include <QElapsedTimer>

#include "canvas/canvas_document.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "sensors/fix_quality.h"
#include "survey/survey_session.h"
#include "survey/vessel_symbol.h"

namespace nivora {
namespace {

QString fixed(double v, int decimals) {
    return QString::fromStdString(formatFixed(v, decimals));
}

}  // namespace

int SurveySession::liveInteger(LiveSetting& setting, const QString& text, const char* name) {
    // A typo in a live field must not stop the tick: the last good value
    // serves, and the operator hears of it (the error path throttles).
    if (const auto v = toInteger(text)) {
        setting.value = *v;
    } else {
        reportError(notANumberMessage(QLatin1String(name), text) +
                    QStringLiteral("; %1 is used").arg(setting.value));
    }
    return setting.value;
}

bool SurveySession::takeParameters() {
    // A refusal is said once with its reason; the tick tries again, quietly,
    // until the operator has mended the field.
    const auto refuse = [this](const QString& why) {
        if (why != parameterRefusal_) reportError(why);
        parameterRefusal_ = why;
        return false;
    };
    geodesy::ParameterConversionError error;
    auto projector = geodesy::FixProjector::take(models_.device.geodeticParameters(), &error);
    if (!projector) {
        const QString key =
            QString::fromLatin1(error.key.data(), static_cast<qsizetype>(error.key.size()));
        const QString why = error.notANumber
                                ? notANumberMessage(key, QString::fromStdString(error.text))
                                : QString::fromStdString(error.reason);
        return refuse(QStringLiteral("No position can be placed: ") + why);
    }
    QString shapeError;
    const auto shape = models_.vesselShape.values(&shapeError);
    if (!shape) return refuse(shapeError);
    projector_ = std::move(projector);
    vesselShape_ = *shape;
    parameterRefusal_.clear();
    return true;
}

void SurveySession::reportFixNotPlaced(const geodesy::FixResult& r, double latitude,
                                       double longitude) {
    if (r.placed()) {
        fixNotPlaced_.reset();
        return;
    }
    if (fixNotPlaced_ == r.status) return;
    fixNotPlaced_ = r.status;
    reportError(QStringLiteral("The fix at %1, %2 cannot be placed: %3")
                    .arg(fixed(latitude, 8), fixed(longitude, 8),
                         QString::fromStdString(projector_->whyNotPlaced(r))));
}

void SurveySession::tMapTimer() {
    QElapsedTimer latency;
    const bool measureLatency = latencyVisible_;
    if (measureLatency) latency.start();

    const int quality = gnss_.FixQuality();
    const double lat = state_.CurrentLatitude, lon = state_.CurrentLongitude;

    TickReadouts out;
    out.fixed = QString::number(quality);
    out.antennaHeight = fixed(state_.AntennaHeight, 2);
    out.tideHeight = offsetsVisible_ ? QStringLiteral("-") : fixed(state_.GnssTide, 2);
    out.satellites = QString::number(gnss_.Satellites());
    emit readoutsChanged(out);

    state_.GgaOverlayText =
        QStringLiteral("%1 | Spd: %2 kn | SV: %3 | Ant: %4 m | Tide: %5 m")
            .arg(fixQualityName(quality), fixed(state_.SpeedShownKnots, 1),
                 QString::number(gnss_.Satellites()), out.antennaHeight, out.tideHeight);
    const std::optional<double> depth = state_.soundingDepth();
    if (models_.device.sensorEnabled && depth) {
        state_.GgaOverlayText +=
            QStringLiteral(" | Depth: ") + fixed(*depth, 2) + QStringLiteral(" m");
    }
    doc_.SetPositionStatus(state_.GgaOverlayText, quality);

    // Parameters are taken once; changes need a restart.
    if (!projector_ && !takeParameters()) return;

    // No position is not a position: before the first fix and after an idle
    // line the map stays where it is.
    const bool hasPosition = !(lat == 0 && lon == 0);
    if (hasPosition) {
        const geodesy::FixResult r = projector_->project(lat, lon, state_.CurrentAltitude);
        if (r.convergence) state_.GridConvergence = *r.convergence;
        reportFixNotPlaced(r, lat, lon);
        if (!r.placed()) return;
        state_.GridEasting = r.easting;
        state_.GridNorthing = r.northing;
        lastPlaced_ = clock_.now();

        const double heading = models_.device.gyroEnabled ? state_.Heading : gnss_.Course();
        state_.GridHeading = heading + state_.GridConvergence;

        if (state_.FollowVessel) {
            doc_.WorldPan(state_.GridEasting - (doc_.View.WorldLeft + doc_.View.WorldRight) / 2,
                          state_.GridNorthing - (doc_.View.WorldTop + doc_.View.WorldBottom) / 2);
        } else {
            doc_.Refresh();
        }

        const int vesselWidth =
            liveInteger(vesselWidth_, models_.navigation.vesselWidth, "Vessel width");
        drawVesselSymbol(doc_, layers_.vessel, state_.GridEasting, state_.GridNorthing,
                         state_.GridHeading, vesselShape_, models_.navigation.vesselColor,
                         vesselWidth);
    }
    // A selection's prompt or result holds panel 0 until the selection ends.
    if (selectionPrompt_.isEmpty())
        emit statusPanelChanged(0, QStringLiteral("Lat: ") + fixed(lat, 8));
    emit statusPanelChanged(1, QStringLiteral("Lon: ") + fixed(lon, 8));
    emit statusPanelChanged(2, QStringLiteral("E: ") + fixed(state_.GridEasting, 2));
    emit statusPanelChanged(3, QStringLiteral("N: ") + fixed(state_.GridNorthing, 2));

    if (hasPosition) {
        TrackSettings track;
        track.fixedColor = models_.navigation.colorTracklines1;
        track.floatColor = models_.navigation.colorTracklines0;
        track.noFixColor = models_.navigation.gridColor;
        track.width = liveInteger(trackWidth_, models_.navigation.trackWidth, "Track width");
        track.interval =
            liveInteger(trackInterval_, models_.navigation.trackInterval, "Track interval");
        track.drawAsLine = models_.navigation.lineOrDot;
        track_.tick(doc_, layers_, track, quality, state_.GridEasting, state_.GridNorthing);

        const DisplaySettings& display = models_.device.display();
        if (display.ShowDepthLabelsSetting && depth &&
            !(state_.GridEasting == 0 && state_.GridNorthing == 0)) {
            doc_.SetDepthLabelSettings(display.ShowDepthLabelsSetting,
                                       display.DepthLabelSpacingSetting, display.DepthLabelFontName,
                                       display.DepthLabelFontSize, display.DepthLabelColor);
            doc_.AddDepthLabel(state_.GridEasting, state_.GridNorthing, *depth);
        }
    }

    // A depth not measured is no depth in the box (0 shows nothing).
    const EchosounderFamily* family = findEchosounderFamily(models_.device.sbesMessage);
    const bool lowShown = models_.device.sensorEnabled && family && family->lowFrequencyShown;
    doc_.SetCurrentDepth(state_.shownDepthHi().value_or(0),
                         lowShown ? state_.shownDepthLo().value_or(0) : 0, true);
    doc_.SetCurrentSpeed(state_.SpeedKnots, true);

    if (measureLatency) {
        const qint64 ms = latency.elapsed();
        models_.latency.record(ms);
        emit latencyMeasured(ms);
    }
}

}  // namespace nivora
