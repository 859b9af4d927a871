#include "survey/survey_values.h"

#include "core/number_format.h"

namespace nivora {

QString depthText(std::optional<double> depth) {
    return depth ? QString::fromStdString(formatFixed(*depth, 2)) : QStringLiteral("---");
}

}  // namespace nivora
