#include "sim/fix_script.h"

#include <QStringList>
#include <cmath>

#include "core/number_text.h"

namespace nivora::sim {

std::optional<FixScript> FixScript::parse(const QString& text) {
    FixScript s;
    for (const QString& part : text.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QStringList qs = part.split(QLatin1Char(':'));
        if (qs.size() != 2) return std::nullopt;
        const auto q = toInteger(qs[0]);
        const auto secs = toNumber(qs[1]);
        if (!q || !secs || *q < 0 || *q > 9 || *secs <= 0) return std::nullopt;
        s.steps_.push_back(Step{*q, *secs});
        s.cycle_ += *secs;
    }
    if (s.steps_.empty()) return std::nullopt;
    return s;
}

int FixScript::qualityAt(double seconds) const {
    double t = std::fmod(std::max(0.0, seconds), cycle_);
    for (const Step& st : steps_) {
        if (t < st.seconds) return st.quality;
        t -= st.seconds;
    }
    return steps_.back().quality;
}

}  // namespace nivora::sim
