#include "config/offsets_model.h"

#include <cmath>

#include "core/ini_store.h"
#include "core/number_text.h"
#include "core/scan.h"

namespace nivora {
namespace {

using M = OffsetsModel;
constexpr const char* kSection = "ECHOSOUNDER_OFFSETS";

// Turkish texts as the surveyors' offices know them, spelling included.
struct Bilingual {
    const char* en;
    const char* tr;
    QString in(Language l) const { return QString::fromUtf8(l == Language::Turkish ? tr : en); }
};

constexpr Bilingual kTimeFormat = {
    "Time format does not fit requirements. The date and time fromat must be YYYY-DD-MM HHmmssfff",
    "Tarih ve saat formatı gereksinimleri karşılamıyor. Bilgisayar tarih ve zaman formatının "
    "YYYY-DD-MM "
    "HHmmssfff olduguna emin olunuz."};
constexpr Bilingual kBadA = {"Failed! Recheck offset A",
                             "Başarısız! A değerini yeniden kontrol ediniz."};
constexpr Bilingual kBadB = {"Failed! Recheck offset B",
                             "Başarısız! B değerini yeniden kontrol ediniz."};
constexpr Bilingual kBadC = {"Failed! Recheck offset C",
                             "Başarısız! C değerini yeniden kontrol ediniz."};
constexpr Bilingual kBadSv = {"Failed! Recheck SV value",
                              "Başarısız! SV/SH değerini yeniden kontrol ediniz."};
constexpr Bilingual kBadTide = {"Failed! Recheck tide height",
                                "Başarısız! Su kotunu kontrol ediniz."};
constexpr Bilingual kNoLocation = {"Failed! Location cannot be missing",
                                   "Başarısız! Yer adı boş olamaz"};
constexpr Bilingual kNoBoat = {"Failed! Name/type of survey boat cannot be missing",
                               "Başarısız! Ölçme aracının adı boş olamaz"};
constexpr Bilingual kNoSurveyor = {"Failed! Name of surveyor cannot be missing",
                                   "Başarısız! Öçen kişinin adı boş olamaz"};
constexpr Bilingual kGeometry = {
    "Measurements contains error: A + C must be close enough to B.",
    "Ölçümlerde hata var: A + C toplamı B değerine yakın olması gerekir"};
constexpr Bilingual kSvRange = {"Error in Sound Velocity (SV) value", "SV/SE değerinde hata var"};
constexpr Bilingual kProfileUsedButton = {"SVP Profile Used", "Ses Hızı Profili Devrede"};
constexpr Bilingual kSingleSvButton = {"Single SV Used", "Tek Ses Hızı Değeri"};

// The record's lines: title, then (label, value) pairs.
constexpr Bilingual kRecordTitle = {"Nivora Depthwright - offsets essential for post processing",
                                    "Nivora Depthwright - veri işleme için gerekli değerler"};
constexpr Bilingual kRecordLabels[] = {
    {"Time..............................\t=", "Zaman.......................................\t="},
    {"Survey Location...................\t=", "Yer.........................................\t="},
    {"Survey Boat.......................\t=", "Ölçme botu..................................\t="},
    {"Transducer Draft (A)..............\t=", "Transduser su kesimi (A)....................\t="},
    {"Transducer - Antenna Offset (B)...\t=", "Transduser ile GPS anteni arası mesafe (B)..\t="},
    {"Antenna Height Above Water (C)....\t=", "Sudan antene olan mesafe (C)................\t="},
    {"Sound Velocity....................\t=", "Ses hızı....................................\t="},
    {"Tide Height.......................\t=", "Su kotu.....................................\t="},
    {"Surveyor..........................\t=", "Ölçen.......................................\t="},
};
constexpr Bilingual kProfileUsedRecord = {"Sound velocity profile used",
                                          "Ses hızı profili kullanıldı"};

constexpr double kGeometryTolerance = 0.025;  // m
constexpr double kMinSoundVelocity = 1300.0;  // m/s
constexpr double kMaxSoundVelocity = 1700.0;

// A field passes when "%lf" reads a number from it. Not-a-number and
// infinity would slip through every comparison after it, so they fail.
std::optional<double> scannedNumber(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    double v = 0;
    if (scanFormatted(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                      "%lf", &v) != 1) {
        return std::nullopt;
    }
    if (!std::isfinite(v)) return std::nullopt;
    return v;
}

QString fieldName(OffsetField f) {
    switch (f) {
        case OffsetField::OffsetA:
            return QStringLiteral("Offset A");
        case OffsetField::OffsetB:
            return QStringLiteral("Offset B");
        case OffsetField::OffsetC:
            return QStringLiteral("Offset C");
        case OffsetField::SV:
            return QStringLiteral("SV");
        case OffsetField::TideHt:
            return QStringLiteral("Tide Ht");
        default:
            return {};
    }
}

OffsetsCheck fail(const Bilingual& text, Language l, OffsetField focus) {
    return {false, text.in(l), focus};
}

}  // namespace

const std::vector<IniKey<OffsetsModel>>& OffsetsModel::keys() {
    // Written by "Realtime" in this order; "Time" is never read back.
    static const std::vector<IniKey<M>> keys = {
        {kSection, "Offset A", IniKind::Text, &M::offsetA, ""},
        {kSection, "Offset B", IniKind::Text, &M::offsetB, ""},
        {kSection, "Offset C", IniKind::Text, &M::offsetC, ""},
        {kSection, "SV", IniKind::Text, &M::soundVelocity, ""},
        {kSection, "Tide Height", IniKind::Text, &M::tideHeight, ""},
        {kSection, "Time", IniKind::Text, &M::timeText, nullptr},
        {kSection, "Surveyor", IniKind::Text, &M::surveyor, ""},
        {kSection, "SurveyBoat", IniKind::Text, &M::surveyBoat, ""},
        {kSection, "SurveyLocation", IniKind::Text, &M::location, ""},
    };
    return keys;
}

QString OffsetsModel::text(OffsetField f) const {
    switch (f) {
        case OffsetField::OffsetA:
            return offsetA;
        case OffsetField::OffsetB:
            return offsetB;
        case OffsetField::OffsetC:
            return offsetC;
        case OffsetField::SV:
            return soundVelocity;
        case OffsetField::TideHt:
            return tideHeight;
        case OffsetField::Location:
            return location;
        case OffsetField::SurveyBoat:
            return surveyBoat;
        case OffsetField::Surveyor:
            return surveyor;
        case OffsetField::None:
            break;
    }
    return {};
}

void OffsetsModel::setText(OffsetField f, const QString& t) {
    switch (f) {
        case OffsetField::OffsetA:
            offsetA = t;
            break;
        case OffsetField::OffsetB:
            offsetB = t;
            break;
        case OffsetField::OffsetC:
            offsetC = t;
            break;
        case OffsetField::SV:
            soundVelocity = t;
            break;
        case OffsetField::TideHt:
            tideHeight = t;
            break;
        case OffsetField::Location:
            location = t;
            break;
        case OffsetField::SurveyBoat:
            surveyBoat = t;
            break;
        case OffsetField::Surveyor:
            surveyor = t;
            break;
        case OffsetField::None:
            break;
    }
}

void OffsetsModel::load(const IniStore& ini) {
    for (const auto& k : keys()) {
        // The label keeps the clock's time; the stored one is for the office.
        if (std::get<QString M::*>(k.member) == &M::timeText) continue;
        loadIniKey(ini, k, *this);
    }
}

void OffsetsModel::save(IniStore& ini) const {
    saveIniKeys(ini, keys(), *this);
}

QString OffsetsModel::timeFormatWarning(Language l) const {
    return timeText.contains(QLatin1Char(':')) ? kTimeFormat.in(l) : QString();
}

OffsetsCheck OffsetsModel::check(Language l) const {
    const auto a = scannedNumber(offsetA);
    if (!a) return fail(kBadA, l, OffsetField::OffsetA);
    const auto b = scannedNumber(offsetB);
    if (!b) return fail(kBadB, l, OffsetField::OffsetB);
    const auto c = scannedNumber(offsetC);
    if (!c) return fail(kBadC, l, OffsetField::OffsetC);
    const auto sv = scannedNumber(soundVelocity);
    if (!sv) return fail(kBadSv, l, OffsetField::SV);
    if (!scannedNumber(tideHeight)) return fail(kBadTide, l, OffsetField::TideHt);

    if (location.isEmpty()) return fail(kNoLocation, l, OffsetField::Location);
    if (surveyBoat.isEmpty()) return fail(kNoBoat, l, OffsetField::SurveyBoat);
    if (surveyor.isEmpty()) return fail(kNoSurveyor, l, OffsetField::Surveyor);

    if (std::fabs(*a + *c - *b) > kGeometryTolerance)
        return fail(kGeometry, l, OffsetField::OffsetA);
    if (*sv > kMaxSoundVelocity || *sv < kMinSoundVelocity)
        return fail(kSvRange, l, OffsetField::SV);
    return {};
}

QString OffsetsModel::fieldExitError(OffsetField f) const {
    switch (f) {
        case OffsetField::OffsetA:
        case OffsetField::OffsetB:
        case OffsetField::OffsetC:
        case OffsetField::SV:
        case OffsetField::TideHt:
            if (!toNumber(text(f))) return notANumberMessage(fieldName(f), text(f));
            return {};
        default:
            return {};
    }
}

QString OffsetsModel::record(bool profileUsed, Language l) const {
    const QString values[] = {
        timeText,
        location,
        surveyBoat,
        offsetA,
        offsetB,
        offsetC,
        profileUsed ? kProfileUsedRecord.in(l) : soundVelocity,
        tideHeight,
        surveyor,
    };
    QString out = QStringLiteral("\n\n") + kRecordTitle.in(l);
    for (std::size_t i = 0; i < std::size(values); ++i) {
        out += QLatin1Char('\n') + kRecordLabels[i].in(l) + values[i];
    }
    return out;
}

QString profileButtonCaption(bool profileUsed, Language l) {
    return profileUsed ? kProfileUsedButton.in(l) : kSingleSvButton.in(l);
}

OffsetsCheck confirmOffsetsAndStart(OffsetsModel& model, const RealtimeContext& cx) {
    const Language l = cx.host.language();
    cx.host.Save();

    const QString warning = model.timeFormatWarning(l);
    if (!warning.isEmpty()) cx.prompts.showWarning(warning);

    QString folderMessage;
    if (!cx.host.createDayFolders(&folderMessage)) cx.prompts.showError(folderMessage);

    const OffsetsCheck check = model.check(l);
    if (!check.ok) {
        cx.prompts.showError(check.message);
        return check;
    }

    // The record is what the office post-processes with: the operator must
    // know when it was not written, and the survey does not start as if it were.
    if (!cx.host.appendOffsetsRecord(model.record(cx.profileUsed, l))) {
        const QString message = QStringLiteral(
            "The offsets could not be written to the day's offsets log. "
            "Real time was not started; check the log folder and try again.");
        cx.prompts.showError(message);
        return {false, message, OffsetField::None};
    }

    QString iniError;
    if (!cx.settings.update([&model](IniStore& ini) { model.save(ini); }, &iniError)) {
        cx.prompts.showError(iniError);
    }

    if (!cx.host.realtimeRunning()) cx.host.startRealtime();
    return {};
}

}  // namespace nivora
