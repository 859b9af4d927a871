#include "survey/sounder_handler.h"

namespace nivora {

double SounderLineHandler::liveValue(NumberField& field, double& lastGood, const QString& text,
                                     const char* name, QString& error) {
    if (const auto v = field.value(text)) {
        lastGood = *v;
    } else if (error.isEmpty()) {
        error = notANumberMessage(QLatin1String(name), text);
    }
    return lastGood;
}

QString SounderLineHandler::unreadPatternReport(const EchosounderFamily& family,
                                                const QString& pattern, std::string_view line,
                                                bool scanned) {
    if (scanned || pattern != unreadPattern_) {
        unreadLines_ = 0;
        unreadSaid_ = false;
        unreadPattern_ = pattern;
    }
    if (scanned) return {};
    ++unreadLines_;
    if (unreadSaid_) return {};
    const QString name = QLatin1String(family.name);
    if (pattern.trimmed().isEmpty()) {
        unreadSaid_ = true;
        return QStringLiteral(
                   "The echosounder pattern for %1 is empty: no depth is read. Type "
                   "one in the device settings (Format)")
            .arg(name);
    }
    if (unreadLines_ < kUnreadLinesReported) return {};
    unreadSaid_ = true;
    return QStringLiteral(
               "Echosounder lines do not match the pattern \"%1\" of %2: no depth is "
               "read (last line: %3)")
        .arg(pattern, name, QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size())));
}

SounderLineResult SounderLineHandler::handle(std::string_view line, const SounderLineInputs& in) {
    SounderLineResult r;
    const double alertDepth =
        liveValue(alertDepth_, lastAlertDepth_, in.alertDepthText, "Depth alert", r.error);
    // Until a typed draft was ever good, the offsets snapshot's is the best there is.
    if (!draftSeen_) lastDraft_ = in.offsets.offsetA;
    const double draft = liveValue(offsetA_, lastDraft_, in.offsetAText, "Offset A", r.error);
    draftSeen_ = draftSeen_ || offsetA_.value(in.offsetAText).has_value();

    const EchosounderFamily* family = findEchosounderFamily(in.family);
    if (!family) {
        r.error = QStringLiteral("Unknown echosounder message family '%1': no depth is read")
                      .arg(in.family);
        return r;
    }
    QString patternError;
    const Sounding s = scanner_.scan(line, *family, in.pattern, &patternError);
    r.familyApplied = s.familyApplied;
    if (!patternError.isEmpty()) {
        r.error = patternError;
    } else if (s.familyApplied) {
        const QString unread = unreadPatternReport(*family, in.pattern, line, s.scanned);
        if (!unread.isEmpty()) r.error = unread;
    }
    if (!s.scanned) return r;

    CorrectedSounding& c = r.sounding.emplace();
    c.family = in.family;
    c.offsets = in.offsets;
    c.batteryVoltage = s.batteryVoltage;
    c.rawHi = s.rawHi;
    c.rawLo = s.rawLo;
    double vHi = in.offsets.soundVelocity, vLo = vHi;
    if (in.useProfile) {
        QString why;
        const QStringList none;
        const QStringList& column = in.velocityColumn ? *in.velocityColumn : none;
        const auto lo = profileVelocity(column, s.rawLo, &why);
        const auto hi = lo ? profileVelocity(column, s.rawHi, &why) : std::nullopt;
        if (lo && hi) {
            vLo = *lo;
            vHi = *hi;
        } else {
            // Both depths with the Offsets window's velocity rather than one
            // new and one stale; the row records the velocity used.
            r.error = why + QStringLiteral("; the Offsets velocity is used");
        }
    }
    c.trueLo = correctedDepth(s.rawLo, vLo, draft);
    c.trueHi = correctedDepth(s.rawHi, vHi, draft);
    // A raw 0 is a lost bottom, not a depth: its true depth would be the draft.
    c.measuredHi = family->readsHigh() && s.rawHi > 0;
    c.measuredLo = family->readsLow() && s.rawLo > 0;
    c.lowIsSounding = family->values == EchosounderFamily::Values::LowOnly;
    c.soundVelocity = vHi;
    c.draft = draft;
    // No depth, no alarm either way.
    c.shallow = c.depth() && shallowWater(*c.depth(), alertDepth);
    c.rowDue = s.loggedRaw(*family) != 0;
    return r;
}

}  // namespace nivora
