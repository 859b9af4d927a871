// The NTRIP client against a caster of the test's own on the loopback: the
// requests a real caster checks, both answer forms, the corrections passed
// on byte for byte, the GGA, the return after a drop with its back-off, the
// refusals in plain words, and the password in no text the client says.

#include <gtest/gtest.h>

#include <QTest>

#include "core/clock.h"
#include "sensors/ntrip_client.h"
#include "tests/sensors/network_peers.h"
#include "tests/sensors/ntrip_caster.h"

namespace nivora {
namespace {

using test::kCasterCredentials;
using test::kCasterPassword;
using test::TestCaster;
using test::waitFor;
using State = NtripStatus::State;

const QByteArray kGgaA =
    "$GPGGA,090000.00,4100.300,N,02900.600,E,4,12,0.7,10.0,M,36.1,M,1.0,0000*4F";
const QByteArray kGgaB =
    "$GPGGA,090010.00,4100.420,N,02900.780,E,4,12,0.7,10.0,M,36.1,M,1.0,0000*44";

// RTCM-like bytes: a frame's 0xD3 preamble, every byte value (0x00 and
// 0x0A among them), and what a careless de-chunker would take for the end
// of the body.
QByteArray corrections() {
    QByteArray b = QByteArray::fromHex("d300133ed7d30202980edeef34b4bd62ac0941986f33360b98");
    for (int i = 0; i < 256; ++i)
        b += static_cast<char>(i);
    b += QByteArray("\r\n0\r\n\r\n", 7);
    b += QByteArray::fromHex("d3000a00");
    return b;
}

struct Client {
    Client() {
        ntrip.setSink([this](const char* d, qint64 n) {
            forwarded.append(d, static_cast<qsizetype>(n));
            return n;
        });
        QObject::connect(&ntrip, &NtripClient::messagePosted,
                         [this](const QString& t) { messages << t; });
        QObject::connect(&ntrip, &NtripClient::errorPosted,
                         [this](const QString& t) { errors << t; });
        QObject::connect(&ntrip, &NtripClient::statusChanged, [this](const NtripStatus& s) {
            statuses << s.text() << s.shortText();
            attempts += s.state == State::Connecting && last != State::Connecting;
            last = s.state;
        });
    }
    NtripCaster caster(quint16 port, int version) const {
        NtripCaster c;
        c.host = QStringLiteral("127.0.0.1");
        c.port = port;
        c.mountpoint = QString::fromLatin1(test::kCasterMount);
        c.user = QString::fromLatin1(test::kCasterUser);
        c.password = QString::fromLatin1(kCasterPassword);
        c.version = version;
        return c;
    }
    QString where(quint16 port) const { return QStringLiteral("127.0.0.1:%1/HARBOUR0").arg(port); }
    bool waitState(State s) {
        return waitFor([&] { return ntrip.status().state == s; }, 5000);
    }
    // Every text the client said or showed.
    QString allTexts() const { return (messages + errors + statuses).join(QLatin1Char('\n')); }

    VirtualTime vt{QDateTime(QDate(2026, 12, 8), QTime(9, 0))};
    NtripClient ntrip{vt, vt};
    QByteArray forwarded;
    QStringList messages, errors, statuses;
    int attempts = 0;  // connections begun
    State last = State::Off;
};

TEST(NtripClient, Version2ChunkedStreamIsPassedOnUnchangedAndTheGgaGoesInTheHeaderThenEvery10s) {
    TestCaster caster;
    ASSERT_TRUE(caster.listen());
    Client c;
    c.ntrip.setGga(kGgaA + "\r\n");
    c.ntrip.start(c.caster(caster.port(), 2));
    ASSERT_TRUE(waitFor([&] { return caster.streaming(); }, 5000));
    ASSERT_EQ(caster.requests.size(), 1);
    const TestCaster::Request& r = caster.requests[0];
    EXPECT_EQ(r.line, "GET /HARBOUR0 HTTP/1.1");
    EXPECT_EQ(r.headers.value("ntrip-version"), "Ntrip/2.0");
    EXPECT_EQ(r.headers.value("ntrip-gga"), kGgaA);
    EXPECT_TRUE(caster.faults.isEmpty()) << caster.faults.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(c.waitState(State::Connected));
    EXPECT_EQ(c.messages,
              QStringList{
                  QStringLiteral("NTRIP connected to %1 (NTRIP 2.0)").arg(c.where(caster.port()))});

    // One chunk whole, one cut inside its size line, one inside its data.
    const QByteArray p = corrections();
    caster.send(p.left(100));
    caster.send(p.mid(100, 150), 1);
    caster.send(p.mid(250), 40);
    ASSERT_TRUE(waitFor([&] { return c.forwarded.size() >= p.size(); }, 5000));
    EXPECT_EQ(c.forwarded.toHex().toStdString(), p.toHex().toStdString());
    EXPECT_TRUE(caster.received.isEmpty()) << "the first GGA went in the header";

    // The age of the last correction follows the clock.
    c.vt.advance(2000);
    EXPECT_EQ(c.ntrip.status().correctionAgeMs, 2000);
    EXPECT_TRUE(c.ntrip.status().text().endsWith(QLatin1String("last correction 2.0 s ago")))
        << c.ntrip.status().text().toStdString();

    // The latest GGA goes in the stream ten seconds after the connection.
    c.ntrip.setGga(kGgaB);
    c.vt.advance(7500);
    QTest::qWait(100);
    EXPECT_TRUE(caster.received.isEmpty()) << caster.received.toStdString();
    c.vt.advance(500);
    ASSERT_TRUE(waitFor([&] { return caster.received.endsWith('\n'); }, 5000));
    EXPECT_EQ(caster.received, kGgaB + "\r\n");

    // A coding that is not chunked is refused, and nothing of it goes on.
    caster.sendRaw("zz\r\nd3d3d3\r\n");
    ASSERT_TRUE(c.waitState(State::Failed));
    EXPECT_EQ(c.forwarded.size(), p.size());
    EXPECT_EQ(c.errors.value(0),
              QStringLiteral("NTRIP %1: the caster's chunked stream is broken; trying again")
                  .arg(c.where(caster.port())));
}

TEST(NtripClient, Version1IcyStreamWithTheGgaAfterTheRequestComesBackWithBackOff) {
    TestCaster caster;
    ASSERT_TRUE(caster.listen());
    const quint16 port = caster.port();
    Client c;
    c.ntrip.setGga(kGgaA);
    c.ntrip.start(c.caster(port, 1));
    ASSERT_TRUE(waitFor([&] { return caster.received == kGgaA + "\r\n"; }, 5000))
        << caster.received.toStdString();
    ASSERT_EQ(caster.requests.size(), 1);
    EXPECT_EQ(caster.requests[0].line, "GET /HARBOUR0 HTTP/1.0");
    EXPECT_FALSE(caster.requests[0].headers.contains("ntrip-version"));
    EXPECT_FALSE(caster.requests[0].headers.contains("ntrip-gga"));
    EXPECT_TRUE(caster.faults.isEmpty()) << caster.faults.join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(c.waitState(State::Connected));
    const QByteArray p = corrections();
    caster.send(p);
    ASSERT_TRUE(waitFor([&] { return c.forwarded.size() >= p.size(); }, 5000));
    EXPECT_EQ(c.forwarded.toHex().toStdString(), p.toHex().toStdString());

    // The caster goes away: said once; tried again after 2 s, then 4, then 8.
    caster.drop();
    caster.close();
    ASSERT_TRUE(c.waitState(State::Failed));
    ASSERT_EQ(c.errors.size(), 1);
    EXPECT_EQ(c.errors[0],
              QStringLiteral("NTRIP %1: the caster closed the connection; trying again")
                  .arg(c.where(port)));
    EXPECT_EQ(c.ntrip.status().retryInS, 2);
    c.vt.advance(1900);
    QTest::qWait(50);
    EXPECT_EQ(c.attempts, 1) << "no attempt before 2 s";
    c.vt.advance(100);
    ASSERT_TRUE(
        waitFor([&] { return c.attempts == 2 && c.ntrip.status().state == State::Failed; }, 5000));
    EXPECT_EQ(c.ntrip.status().retryInS, 4);
    c.vt.advance(3900);
    QTest::qWait(50);
    EXPECT_EQ(c.attempts, 2) << "the wait doubled";
    c.vt.advance(100);
    ASSERT_TRUE(
        waitFor([&] { return c.attempts == 3 && c.ntrip.status().state == State::Failed; }, 5000));
    EXPECT_EQ(c.ntrip.status().retryInS, 8);
    EXPECT_EQ(c.errors.size(), 2) << "a refused connection said once: "
                                  << c.errors.join(QLatin1Char('\n')).toStdString();

    // Back: the same request, the GGA again, the stream goes on.
    ASSERT_TRUE(caster.listen(port));
    c.vt.advance(8000);
    ASSERT_TRUE(
        waitFor([&] { return caster.received == QByteArray(kGgaA + "\r\n").repeated(2); }, 5000));
    ASSERT_EQ(caster.requests.size(), 2);
    EXPECT_EQ(caster.requests[1].line, caster.requests[0].line);
    ASSERT_TRUE(c.waitState(State::Connected));
    caster.send(p.left(50));
    ASSERT_TRUE(waitFor([&] { return c.forwarded.size() >= p.size() + 50; }, 5000));
    EXPECT_EQ(c.forwarded, p + p.left(50));
    EXPECT_EQ(c.ntrip.connections(), 2);

    // A connection that stood (corrections for 35 s) starts the wait at 2 s again.
    for (int i = 0; i < 7; ++i) {
        c.vt.advance(5000);
        caster.send(p.left(10));
        const qsizetype want = p.size() + 50 + 10 * (i + 1);
        ASSERT_TRUE(waitFor([&] { return c.forwarded.size() >= want; }, 5000));
    }
    caster.drop();
    ASSERT_TRUE(c.waitState(State::Failed));
    EXPECT_EQ(c.ntrip.status().retryInS, 2);
    c.ntrip.stop();
    EXPECT_EQ(c.ntrip.status().state, State::Off);
}

TEST(NtripClient, RefusalsAreSaidInPlainWordsOnceAndThePasswordInNoText) {
    TestCaster caster;
    ASSERT_TRUE(caster.listen());
    const quint16 port = caster.port();
    Client c;
    c.ntrip.setGga(kGgaA);
    caster.refusal = TestCaster::Refusal::Unauthorized;
    c.ntrip.start(c.caster(port, 2));
    ASSERT_TRUE(waitFor([&] { return c.errors.size() == 1; }, 5000));
    EXPECT_EQ(c.errors[0],
              QStringLiteral("NTRIP %1: the caster refused the user or password; trying again")
                  .arg(c.where(port)));
    c.vt.advance(2000);
    ASSERT_TRUE(waitFor(
        [&] {
            return caster.requests.size() == 2 && c.attempts == 2 &&
                   c.ntrip.status().state == State::Failed;
        },
        5000));
    EXPECT_EQ(c.errors.size(), 1) << "the same refusal is not said again";

    // A 2.0 caster that does not know the mountpoint answers with its source table.
    caster.refusal = TestCaster::Refusal::SourceTable;
    c.vt.advance(4000);
    ASSERT_TRUE(waitFor([&] { return c.errors.size() == 2; }, 5000));
    EXPECT_EQ(
        c.errors[1],
        QStringLiteral("NTRIP %1: mountpoint HARBOUR0 not found; trying again").arg(c.where(port)));
    // And a 1.0 caster.
    c.ntrip.start(c.caster(port, 1));
    ASSERT_TRUE(waitFor([&] { return c.errors.size() == 3; }, 5000));
    EXPECT_EQ(c.errors[2],
              QStringLiteral("NTRIP %1: mountpoint HARBOUR0 not found (the caster sent "
                             "its source table); trying again")
                  .arg(c.where(port)));

    // A caster that quotes the secret back is quoted without it.
    caster.refusal = TestCaster::Refusal::EchoPassword;
    c.ntrip.start(c.caster(port, 2));
    ASSERT_TRUE(waitFor([&] { return c.errors.size() == 4; }, 5000));
    EXPECT_EQ(c.errors[3], QStringLiteral("NTRIP %1: the caster answered \"HTTP/1.1 400 Bad *** "
                                          "***\"; trying again")
                               .arg(c.where(port)));
    EXPECT_EQ(caster.requests.size(), 5);
    for (const TestCaster::Request& r : caster.requests)
        EXPECT_EQ(r.headers.value("authorization"), QByteArray("Basic ") + kCasterCredentials);

    EXPECT_TRUE(c.forwarded.isEmpty())
        << "no answer of a refusal reaches the receiver: " << c.forwarded.toStdString();
    EXPECT_TRUE(c.messages.isEmpty());
    const QString texts = c.allTexts();
    EXPECT_FALSE(texts.contains(QLatin1String(kCasterPassword))) << texts.toStdString();
    EXPECT_FALSE(texts.contains(QLatin1String(kCasterCredentials))) << texts.toStdString();
    EXPECT_TRUE(texts.contains(QLatin1String("refused the user or password; trying again in 2 s")));
}

TEST(ChunkedDecoder, ExtensionsTrailersAndOneByteAtATime) {
    // Worked by hand: "Wiki" + "pedia " + "in chunks." with an extension and a trailer.
    const QByteArray coded =
        "4;name=v\r\nWiki\r\n6\r\npedia \r\nA\r\nin chunks.\r\n0\r\nX-T: 1\r\n\r\n";
    ChunkedDecoder whole, bytewise;
    QByteArray a, b;
    EXPECT_TRUE(whole.feed(coded.constData(), coded.size(), a));
    for (char ch : coded)
        ASSERT_TRUE(bytewise.feed(&ch, 1, b));
    EXPECT_EQ(a, "Wikipedia in chunks.");
    EXPECT_EQ(b, a);
    EXPECT_TRUE(whole.finished());
    EXPECT_TRUE(bytewise.finished());
    ChunkedDecoder bad;
    QByteArray c;
    const QByteArray longer = "3\r\nabcX\r\n";
    EXPECT_FALSE(bad.feed(longer.constData(), longer.size(), c)) << "data longer than its size";
}

}  // namespace
}  // namespace nivora
