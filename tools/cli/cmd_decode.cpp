// nivora decode: what the program makes of a raw GNSS or echosounder log.

#include <QFile>
#include <cstdio>
#include <string>

#include "core/number_format.h"
#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "survey/sounder_handler.h"
#include "tools/cli/cli.h"

namespace nivora::cli {
namespace {

bool allDigits(std::string_view s) {
    for (char c : s) {
        if (c < '0' || c > '9') return false;
    }
    return !s.empty();
}

// The raw log writes "YYYY-MM-DD hhnnsszzz " before each line when time
// stamps are on.
std::string_view stripTimeStamp(std::string_view line) {
    if (line.size() > 21 && line[4] == '-' && line[7] == '-' && line[10] == ' ' &&
        line[20] == ' ' && allDigits(line.substr(0, 4)) && allDigits(line.substr(5, 2)) &&
        allDigits(line.substr(8, 2)) && allDigits(line.substr(11, 9))) {
        return trimLine(line.substr(21));
    }
    return line;
}

const char* typeName(SentenceType t) {
    switch (t) {
        case SentenceType::GGA:
            return "GGA";
        case SentenceType::RMC:
            return "RMC";
        case SentenceType::VTG:
            return "VTG";
        default:
            return "";
    }
}

struct Counts {
    long long lines = 0;
    long long accepted = 0;
    long long badChecksum = 0;
    long long binarySkipped = 0;
};

// Feeds the file through the reader's line assembly, so that a log decodes
// as it did on the port.
template <class OnLine>
bool forEachLine(const QString& path, Counts& counts, OnLine onLine) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        fail(QStringLiteral("cannot read %1: %2").arg(path, f.errorString()));
        return false;
    }
    LineAssembler lines;
    const auto take = [&](std::string_view line) {
        if (line[0] == '#') return true;
        line = stripTimeStamp(line);
        if (line.empty()) return true;
        ++counts.lines;
        if (nmeaChecksum(line) == Checksum::Invalid) {
            ++counts.badChecksum;
            return true;
        }
        onLine(line);
        return true;
    };
    QByteArray chunk;
    while (!(chunk = f.read(64 * 1024)).isEmpty())
        lines.feed(std::string_view(chunk.constData(), static_cast<std::size_t>(chunk.size())),
                   take);
    lines.feed("\n", take);  // a last line without a line feed still counts
    counts.binarySkipped = static_cast<long long>(lines.binaryBytesSkipped());
    return true;
}

void printSummary(const Counts& c) {
    std::fprintf(stderr,
                 "lines read: %lld, sentences accepted: %lld, dropped for a bad checksum: %lld",
                 c.lines, c.accepted, c.badChecksum);
    if (c.binarySkipped > 0) std::fprintf(stderr, ", binary bytes skipped: %lld", c.binarySkipped);
    std::fputc('\n', stderr);
}

int decodeGnss(const QString& path) {
    Counts counts;
    NavValues nav;
    std::string row;
    std::fputs("type,latitude,longitude,altitude,fix_quality,satellites,speed_kmh,course\n",
               stdout);
    const bool ok = forEachLine(path, counts, [&](std::string_view line) {
        if (line[0] != '$') return;
        const DecodeResult r = decodeNmea(line, nav);
        if (!r.accepted) return;
        ++counts.accepted;
        row.assign(typeName(r.type));
        row += ',';
        appendFixed(row, nav.latitude, 9);
        row += ',';
        appendFixed(row, nav.longitude, 9);
        row += ',';
        appendShortest(row, nav.altitude);
        row += ',' + std::to_string(nav.fixQuality) + ',' + std::to_string(nav.satellites) + ',';
        appendShortest(row, nav.speed);
        row += ',';
        appendShortest(row, nav.course);
        row += '\n';
        std::fputs(row.c_str(), stdout);
    });
    if (!ok) return 2;
    printSummary(counts);
    return 0;
}

int decodeSounder(const QString& path, const Arguments& args) {
    const QString familyName = args.value(QStringLiteral("--family")).value_or(QString());
    const EchosounderFamily* family = findEchosounderFamily(familyName);
    if (!family) {
        QStringList names;
        for (const auto& f : echosounderFamilies())
            names << QLatin1String(f.name);
        return usageError(
            QStringLiteral("--family must be one of: %1").arg(names.join(QLatin1String(", "))));
    }
    const auto sv = toNumber(args.value(QStringLiteral("--sv")).value_or(QStringLiteral("1500")));
    if (!sv) return usageError(QStringLiteral("--sv needs a number"));
    const QString draft = args.value(QStringLiteral("--draft")).value_or(QStringLiteral("0"));
    if (!toNumber(draft)) return usageError(QStringLiteral("--draft needs a number"));

    SounderLineHandler handler;
    SounderLineInputs in;
    in.offsets.soundVelocity = *sv;
    in.family = familyName;
    in.pattern = args.value(QStringLiteral("--pattern"))
                     .value_or(QString::fromLatin1(family->defaultPattern));
    in.alertDepthText = QStringLiteral("0");
    in.offsetAText = draft;

    Counts counts;
    std::string row;
    QString lastError;
    std::fputs("raw_hi,raw_lo,true_hi,true_lo,sound_velocity\n", stdout);
    const bool ok = forEachLine(path, counts, [&](std::string_view line) {
        const SounderLineResult r = handler.handle(line, in);
        if (!r.error.isEmpty() && r.error != lastError) {
            lastError = r.error;
            std::fprintf(stderr, "nivora: %s\n", r.error.toLocal8Bit().constData());
        }
        if (!r.sounding) return;
        const CorrectedSounding& s = *r.sounding;
        ++counts.accepted;
        row.clear();
        for (double v : {s.rawHi, s.rawLo, s.trueHi, s.trueLo}) {
            appendShortest(row, v);
            row += ',';
        }
        appendShortest(row, s.soundVelocity);
        row += '\n';
        std::fputs(row.c_str(), stdout);
    });
    if (!ok) return 2;
    printSummary(counts);
    return 0;
}

}  // namespace

int runDecode(const Arguments& args) {
    if (const auto gnss = args.value(QStringLiteral("--gnss"))) return decodeGnss(*gnss);
    if (const auto sbes = args.value(QStringLiteral("--sbes"))) return decodeSounder(*sbes, args);
    return usageError(QStringLiteral("decode needs --gnss FILE or --sbes FILE --family NAME"));
}

}  // namespace nivora::cli
