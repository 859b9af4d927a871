// Lines per second through the sensor input path, against a bare parse loop
// as the floor.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/clock.h"
#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "sensors/serial_gps.h"
#include "survey/gnss_tracker.h"
#include "survey/sounder_handler.h"

namespace nivora {
namespace {

std::string withChecksum(const std::string& body) {
    return withNmeaChecksum(body) + "\r\n";
}

// RTK fixes of a moving boat, each with a valid checksum.
std::string ggaStream(int lines) {
    std::string s;
    for (int i = 0; i < lines; ++i) {
        s += withChecksum("$GNGGA,1012" + std::to_string(10 + i % 50) + ".00,4101.23456" +
                          std::to_string(10 + i % 90) + ",N,02900.12345" +
                          std::to_string(10 + i % 80) + ",E,4,24,0.6,45.123,M,36.100,M,1.0,0000");
    }
    return s;
}

constexpr int kLines = 10000;

// Floor: split a GGA at commas and read the two coordinates, nothing else.
void BM_BareGgaParseLoop(benchmark::State& st) {
    const std::string data = ggaStream(kLines);
    for (auto _ : st) {
        double sum = 0;
        std::size_t pos = 0;
        while (pos < data.size()) {
            const std::size_t lf = data.find('\n', pos);
            const std::string_view line(data.data() + pos, lf - pos);
            std::size_t field = 0, start = 0;
            for (std::size_t i = 0; i <= line.size(); ++i) {
                if (i == line.size() || line[i] == ',') {
                    if (field == 2 || field == 4) {
                        double v = 0;
                        std::from_chars(line.data() + start, line.data() + i, v);
                        sum += v;
                    }
                    ++field;
                    start = i + 1;
                }
            }
            pos = lf + 1;
        }
        benchmark::DoNotOptimize(sum);
    }
    st.SetItemsProcessed(st.iterations() * kLines);
}
BENCHMARK(BM_BareGgaParseLoop);

// Line assembly piece by piece, checksum, and the reader's GGA decoding.
void BM_AssembleAndDecodeGga(benchmark::State& st) {
    const std::string data = ggaStream(kLines);
    for (auto _ : st) {
        LineAssembler lines;
        NavValues nav;
        lines.feed(data, [&](std::string_view line) {
            if (nmeaChecksum(line) == Checksum::Invalid) std::abort();
            decodeNmea(line, nav);
            return true;
        });
        benchmark::DoNotOptimize(nav.latitude);
    }
    st.SetItemsProcessed(st.iterations() * kLines);
}
BENCHMARK(BM_AssembleAndDecodeGga);

// The whole reader: poll ticks, raw bytes, line cutting, decoding once,
// position events, plus the survey's side of every line (offsets snapshot,
// motion, RTK height, fix indicator, the epoch).
void BM_ReaderWithGnssHandler(benchmark::State& st) {
    const std::string data = ggaStream(kLines);
    VirtualTime vt(QDateTime(QDate(2026, 1, 1), QTime(0, 0)));
    GnssTracker tracker;
    OffsetFieldTexts offsets{QStringLiteral("0.5"), QStringLiteral("1480"), QStringLiteral("1.2"),
                             QStringLiteral("0")};
    TNivoraSerialGPS reader(vt, vt);
    MemoryTransport* port = nullptr;
    reader.setTransportFactory(MemoryTransport::factory(port));
    std::size_t epochs = 0;
    reader.setLineSink([&](const NmeaSentence&, const GnssReading& r) {
        epochs += tracker.apply(r, vt.msecsSinceEpoch(), 0, &offsets).epoch;
    });
    reader.Open();
    const QByteArray bytes(data.data(), static_cast<qsizetype>(data.size()));
    for (auto _ : st) {
        port->push(bytes);
        while (port->bytesAvailable() > 0)
            reader.pollTick();
    }
    if (reader.badChecksumCount() != 0 || tracker.current().antennaHeightM == 0 || epochs == 0)
        st.SkipWithError("lines were not decoded");
    st.SetItemsProcessed(st.iterations() * kLines);
}
BENCHMARK(BM_ReaderWithGnssHandler);

// The echosounder line handler: family key, scan, correction, alarm, row decision.
void BM_SounderLines(benchmark::State& st) {
    std::vector<std::string> lines;
    for (int i = 0; i < 1000; ++i)
        lines.push_back("$SDDBT,32.8,f," + std::to_string(5 + i % 30) + ".25,M,5.4,F*00");
    SounderLineHandler handler;
    SounderLineInputs in;
    in.offsets.soundVelocity = 1480;
    in.family = QStringLiteral("NMEA DBT");
    in.pattern = QStringLiteral("%*6s,%*lf,%*1s,%lf");
    in.alertDepthText = QStringLiteral("3");
    in.offsetAText = QStringLiteral("0.5");
    std::size_t rows = 0;
    for (auto _ : st) {
        for (const auto& l : lines) {
            const SounderLineResult r = handler.handle(l, in);
            rows += r.sounding && r.sounding->rowDue;
        }
    }
    benchmark::DoNotOptimize(rows);
    st.SetItemsProcessed(st.iterations() * static_cast<long long>(lines.size()));
}
BENCHMARK(BM_SounderLines);

}  // namespace
}  // namespace nivora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
