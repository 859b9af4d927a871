#include "survey/fix_placer.h"

#include "config/settings_models.h"
#include "core/number_format.h"
#include "core/number_text.h"
#include "geodesy/grid_inverse.h"

namespace nivora {

bool FixPlacer::take(const SurveyModels& models) {
    if (projector_) return true;
    // The tick tries again, quietly, until the operator has mended the field.
    const auto refuse = [this](const QString& why) {
        if (why != refusal_) reportError_(why);
        refusal_ = why;
        return false;
    };
    geodesy::ParameterConversionError error;
    auto projector = geodesy::FixProjector::take(models.device.geodeticParameters(), &error);
    if (!projector) {
        const QString key =
            QString::fromLatin1(error.key.data(), static_cast<qsizetype>(error.key.size()));
        const QString why = error.notANumber
                                ? notANumberMessage(key, QString::fromStdString(error.text))
                                : QString::fromStdString(error.reason);
        return refuse(QStringLiteral("No position can be placed: ") + why);
    }
    QString shapeError;
    const auto shape = models.vesselShape.values(&shapeError);
    if (!shape) return refuse(shapeError);
    projector_ = std::move(projector);
    vesselShape_ = *shape;
    refusal_.clear();
    return true;
}

std::optional<GridPosition> FixPlacer::place(double latitude, double longitude, double altitude) {
    if (!projector_ || (latitude == 0 && longitude == 0)) return std::nullopt;
    const geodesy::FixResult r = projector_->project(latitude, longitude, altitude);
    if (r.placed()) {
        notPlaced_.reset();
        return GridPosition{r.easting, r.northing, r.convergence.value_or(0.0)};
    }
    if (notPlaced_ != r.status) {
        notPlaced_ = r.status;
        const auto fixed = [](double v) { return QString::fromStdString(formatFixed(v, 8)); };
        reportError_(QStringLiteral("The fix at %1, %2 cannot be placed: %3")
                         .arg(fixed(latitude), fixed(longitude),
                              QString::fromStdString(projector_->whyNotPlaced(r))));
    }
    return std::nullopt;
}

std::optional<std::pair<double, double>> FixPlacer::toWgs84(double easting, double northing,
                                                            double height, double nearLatitude,
                                                            double nearLongitude) {
    if (!projector_) return std::nullopt;
    const auto p =
        geodesy::gridToWgs84(*projector_, easting, northing, height, {nearLatitude, nearLongitude});
    if (!p) return std::nullopt;
    return std::make_pair(p->latitude, p->longitude);
}

}  // namespace nivora
