// nivora decode: what the program makes of a raw GNSS or echosounder log,
// or of what a port or network source sends for a while.

#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <cstdio>
#include <functional>
#include <string>

#include "core/number_format.h"
#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "sensors/port_names.h"
#include "sensors/serial_gps.h"
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

// Where the lines come from: a raw log, or a live source read for a while.
using LineSource = std::function<bool(Counts&, const std::function<void(std::string_view)>&)>;

LineSource fromFile(const QString& path) {
    return [path](Counts& counts, const std::function<void(std::string_view)>& onLine) {
        return forEachLine(path, counts, onLine);
    };
}

// The real reader on the source (a port, tcp://, udp://, gpsd://...) for
// `seconds`, so that what it prints is what a survey would take from it.
LineSource fromSource(const QString& source, double seconds, quint32 baud, bool gnss) {
    return [=](Counts& counts, const std::function<void(std::string_view)>& onLine) {
        TNivoraSerialGPS reader;
        const PortSelection port = selectPort(source);
        if (port.kind == PortSelection::Kind::ComNumber) {
            reader.Port = port.number;
        } else {
            reader.DevicePath = port.path;
        }
        reader.BaudRate = ValidBaudRate(baud);
        reader.PollInterval = 20;
        // A short run cannot give a connection the program's 2 s between tries.
        reader.setReopenInterval(200);
        reader.DecodesGnss = gnss;
        bool connected = false;
        QObject::connect(&reader, &TNivoraSerialGPS::OnConnect,
                         [&](TNivoraSerialGPS*, quint32) { connected = true; });
        QObject::connect(&reader, &TNivoraSerialGPS::OnError,
                         [](TNivoraSerialGPS*, const QString& text) {
                             std::fprintf(stderr, "nivora: %s\n", text.toLocal8Bit().constData());
                         });
        QObject::connect(
            &reader, &TNivoraSerialGPS::OnNewCommand,
            [&](TNivoraSerialGPS*, const QByteArray& line) {
                onLine(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
            });
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(seconds * 1000), &loop, &QEventLoop::quit);
        reader.Open();
        loop.exec();
        reader.Close();
        // The reader drops what fails its checksum before anyone sees it.
        counts.lines = static_cast<long long>(reader.linesRead());
        counts.badChecksum = static_cast<long long>(reader.badChecksumCount());
        counts.binarySkipped = static_cast<long long>(reader.binaryBytesSkipped());
        if (!connected)
            fail(QStringLiteral("%1 did not open within %2 s").arg(source).arg(seconds));
        return connected;
    };
}

void printSummary(const Counts& c) {
    std::fprintf(stderr,
                 "lines read: %lld, sentences accepted: %lld, dropped for a bad checksum: %lld",
                 c.lines, c.accepted, c.badChecksum);
    if (c.binarySkipped > 0) std::fprintf(stderr, ", binary bytes skipped: %lld", c.binarySkipped);
    std::fputc('\n', stderr);
}

int decodeGnss(const LineSource& lines) {
    Counts counts;
    NavValues nav;
    std::string row;
    std::fputs("type,latitude,longitude,altitude,fix_quality,satellites,speed_kmh,course\n",
               stdout);
    const bool ok = lines(counts, [&](std::string_view line) {
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

int decodeSounder(const LineSource& lines, const Arguments& args) {
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
    const bool ok = lines(counts, [&](std::string_view line) {
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
    if (const auto from = args.value(QStringLiteral("--from"))) {
        const auto seconds =
            toNumber(args.value(QStringLiteral("--seconds")).value_or(QStringLiteral("10")));
        if (!seconds || *seconds <= 0 || *seconds > 86400)
            return usageError(QStringLiteral("--seconds needs a number from 0 to 86400"));
        const auto baud =
            toNumber(args.value(QStringLiteral("--baud")).value_or(QStringLiteral("9600")));
        if (!baud || *baud < 1) return usageError(QStringLiteral("--baud needs a number"));
        const bool sbes = args.has(QStringLiteral("--sbes"));
        if (sbes == args.has(QStringLiteral("--gnss")))
            return usageError(QStringLiteral("decode --from needs one of --gnss and --sbes"));
        const LineSource lines = fromSource(*from, *seconds, static_cast<quint32>(*baud), !sbes);
        return sbes ? decodeSounder(lines, args) : decodeGnss(lines);
    }
    if (const auto gnss = args.value(QStringLiteral("--gnss"))) return decodeGnss(fromFile(*gnss));
    if (const auto sbes = args.value(QStringLiteral("--sbes")))
        return decodeSounder(fromFile(*sbes), args);
    return usageError(QStringLiteral("decode needs --gnss FILE or --sbes FILE --family NAME"));
}

}  // namespace nivora::cli
