// A UDP source at 100 GGA datagrams a second through the real reader, on
// the loopback: how many arrive, and how long the thread's ticks are held.
// NIVORA_UDP_SECONDS sets the run (default 10 s; 60 s for the full figure).

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "sensors/nmea.h"
#include "sensors/serial_gps.h"

namespace nivora {
namespace {

// The datagram's number as its time of day, hundredths of a second apart.
QByteArray gga(int n) {
    const int cs = n % 100, s = (n / 100) % 60, m = (n / 6000) % 60, h = (n / 360000) % 24;
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.%02d", h, m, s, cs);
    const std::string body = std::string("$GNGGA,") + time +
                             ",4101.2345678,N,02900.1234567,E,4,24,0.6,45.123,M,36.100,M,1.0,0000";
    return QByteArray::fromStdString(withNmeaChecksum(body) + "\r\n");
}

void BM_UdpGgaAt100Hz(benchmark::State& st) {
    const char* env = std::getenv("NIVORA_UDP_SECONDS");
    const int seconds = std::clamp(env ? std::atoi(env) : 10, 1, 600);
    for (auto _ : st) {
        QUdpSocket probe;
        probe.bind(QHostAddress::LocalHost, 0);
        const quint16 port = probe.localPort();
        probe.close();

        TNivoraSerialGPS reader;
        reader.DevicePath = QStringLiteral("udp://127.0.0.1:%1").arg(port);
        reader.Open();
        if (!reader.isOpen()) {
            st.SkipWithError(reader.openError().toStdString().c_str());
            return;
        }
        QUdpSocket sender;
        int sent = 0;
        QTimer send;
        send.setTimerType(Qt::PreciseTimer);
        send.setInterval(10);
        QObject::connect(&send, &QTimer::timeout,
                         [&] { sender.writeDatagram(gga(sent++), QHostAddress::LocalHost, port); });
        // A 10 ms tick beside the reader: its longest gap is the longest hold.
        QElapsedTimer since;
        qint64 longest = 0;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(10);
        QObject::connect(&tick, &QTimer::timeout, [&] {
            if (since.isValid())
                longest = std::max(longest, since.restart());
            else
                since.start();
        });
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, [&] {
            send.stop();
            // The last datagrams are read before the count.
            QTimer::singleShot(500, &loop, &QEventLoop::quit);
        });
        send.start();
        tick.start();
        loop.exec();
        reader.Close();
        st.counters["seconds"] = seconds;
        st.counters["sent"] = sent;
        st.counters["read"] = static_cast<double>(reader.linesRead());
        st.counters["lost"] = sent - static_cast<double>(reader.linesRead());
        st.counters["bad"] = static_cast<double>(reader.badChecksumCount());
        st.counters["longest_tick_ms"] = static_cast<double>(longest);
    }
}
BENCHMARK(BM_UdpGgaAt100Hz)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

}  // namespace
}  // namespace nivora

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
