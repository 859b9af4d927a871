// RTK corrections in a running survey: real time starts the NTRIP client
// from the [NTRIP] settings, the receiver's GGA reaches a caster on the
// loopback, the caster's bytes reach the GNSS port unchanged, the stop ends
// the connection, and the password is in no log and no message.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>

#include "sensors/ntrip_client.h"
#include "tests/sensors/ntrip_caster.h"
#include "tests/survey/session_test_support.h"

namespace nivora::test {
namespace {

QByteArray ntripIni(quint16 port) {
    return QByteArray(kSurveyIni) +
           "[NTRIP]\nEnabled=1\nHost=127.0.0.1\nPort=" + QByteArray::number(port) +
           "\nMountpoint=" + kCasterMount + "\nUser=" + kCasterUser +
           "\nPassword=" + kCasterPassword + "\nVersion=2\nSendGGA=1\nGGAInterval=10\n";
}

// Virtual time runs while Qt serves the sockets, until `done` or 10 s of wall time.
bool runUntil(SessionFixture& f, const std::function<bool()>& done) {
    QElapsedTimer wall;
    wall.start();
    while (!done() && wall.elapsed() < 10000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        f.vt.advance(10);
    }
    return done();
}

TEST(NtripSurvey, CorrectionsReachTheGnssPortUnchangedAndTheGgaTheCaster) {
    TestCaster caster;
    ASSERT_TRUE(caster.listen());
    SessionFixture f(ntripIni(caster.port()));
    RealtimeSurvey& s = *f.survey;
    QStringList statuses;
    QObject::connect(&s.ntrip(), &NtripClient::statusChanged,
                     [&](const NtripStatus& st) { statuses << st.text() << st.shortText(); });
    s.RealtimeClick();
    ASSERT_TRUE(runUntil(f, [&] { return caster.streaming(); }))
        << f.errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(caster.faults.isEmpty()) << caster.faults.join(QLatin1Char('\n')).toStdString();
    EXPECT_FALSE(caster.requests.value(0).headers.contains("ntrip-gga")) << "no GGA yet";

    // The receiver's own GGA goes to the caster as it came.
    const std::string fix = gga(41.005, 29.01, 5);
    f.gnss(fix);
    ASSERT_TRUE(runUntil(f, [&] { return caster.received.endsWith('\n'); }));
    EXPECT_EQ(caster.received, QByteArray::fromStdString(fix + "\r\n"));

    // RTCM-like bytes, 0x00, 0x0A and 0xD3 among them, in two chunks.
    const QByteArray rtcm = QByteArray::fromHex("d300133ed7d30202980ede0a0d00ef34b4bd62ac0941") +
                            QByteArray(3, '\0') + QByteArray::fromHex("d3000a0a0d0d");
    caster.send(rtcm.left(9));
    caster.send(rtcm.mid(9), 2);
    ASSERT_TRUE(runUntil(f, [&] { return f.gnssPort->written().size() >= rtcm.size(); }));
    EXPECT_EQ(f.gnssPort->written().toHex().toStdString(), rtcm.toHex().toStdString());
    EXPECT_EQ(s.ntrip().status().state, NtripStatus::State::Connected);
    EXPECT_EQ(s.ntrip().status().bytesForwarded, static_cast<quint64>(rtcm.size()));

    s.RealtimeClick();
    ASSERT_TRUE(runUntil(f, [&] { return !caster.connected(); })) << "the stop ends the connection";
    EXPECT_EQ(s.ntrip().status().state, NtripStatus::State::Off);

    const QByteArray events = f.eventsLog();
    EXPECT_TRUE(
        events.contains(QStringLiteral("\tNTRIP connected to 127.0.0.1:%1/HARBOUR0 (NTRIP 2.0)")
                            .arg(caster.port())
                            .toUtf8()))
        << events.toStdString();
    // Nothing the survey wrote or said carries the password.
    QByteArray everything = events + f.view.messages.join(QLatin1Char('\n')).toUtf8() +
                            f.errors().join(QLatin1Char('\n')).toUtf8() +
                            statuses.join(QLatin1Char('\n')).toUtf8();
    int logs = 0;
    for (QDirIterator it(f.dir.path(), QDir::Files, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        if (path.endsWith(QLatin1String(".INI"))) continue;  // the settings keep it, by design
        everything += readFile(path);
        ++logs;
    }
    EXPECT_GE(logs, 2) << "the events and raw logs were read";
    EXPECT_FALSE(everything.contains(kCasterPassword));
    EXPECT_FALSE(everything.contains(kCasterCredentials));
}

TEST(NtripSurvey, SettingsThatDoNotHoldAreSaidAndNoConnectionIsTried) {
    SessionFixture f(QByteArray(kSurveyIni) +
                     "[NTRIP]\nEnabled=1\nHost=127.0.0.1\nPort=99999\n"
                     "Mountpoint=HARBOUR0\n");
    f.survey->RealtimeClick();
    EXPECT_FALSE(f.survey->ntrip().started());
    ASSERT_EQ(f.errors().size(), 1) << f.errors().join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(f.errors()[0], QStringLiteral("NTRIP corrections not started: Port: '99999' is not "
                                            "a number from 1 to 65535"));
}

}  // namespace
}  // namespace nivora::test
