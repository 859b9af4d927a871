// nivora decode --from: a live source read for a few seconds decodes as its
// capture does from a file, with socat serving the capture on the loopback.

#include <gtest/gtest.h>

#include "tests/cli/cli_runner.h"
#include "tests/sensors/network_peers.h"

namespace nivora::test {
namespace {

const QString kCapture = QStringLiteral(NIVORA_SOURCE_DIR "/tests/data/nmea/nmea-rtk.log");

TEST(DecodeFrom, ATcpSourceDecodesAsItsCaptureDoes) {
    if (findTool("socat").isEmpty()) GTEST_SKIP() << "socat is not installed";
    const quint16 port = freeTcpPort();
    Peer server;
    ASSERT_TRUE(server.start(findTool("socat"),
                             {QStringLiteral("-u"), QStringLiteral("OPEN:") + kCapture,
                              QStringLiteral("TCP-LISTEN:%1,bind=127.0.0.1,reuseaddr").arg(port)}));
    const CliResult live =
        runCli({QStringLiteral("decode"), QStringLiteral("--from"),
                QStringLiteral("tcp://127.0.0.1:%1").arg(port), QStringLiteral("--seconds"),
                QStringLiteral("3"), QStringLiteral("--gnss")});
    const CliResult file = runCli({QStringLiteral("decode"), QStringLiteral("--gnss"), kCapture});
    ASSERT_EQ(file.exitCode, 0) << file.err.toStdString();
    ASSERT_EQ(live.exitCode, 0) << live.err.toStdString();
    EXPECT_EQ(live.out, file.out);
    // The capture's first GGA, worked by hand: 41°34.49795459'N 93°45.03431408'W.
    EXPECT_TRUE(live.out.contains("\nGGA,41.574965910,-93.750571901,278.161,2,10,"))
        << live.out.left(400).toStdString();
    EXPECT_TRUE(live.err.contains("dropped for a bad checksum: 0")) << live.err.toStdString();
}

TEST(DecodeFrom, ASourceThatNeverOpensIsSaidAndFails) {
    const quint16 port = freeTcpPort();
    const CliResult r =
        runCli({QStringLiteral("decode"), QStringLiteral("--from"),
                QStringLiteral("tcp://127.0.0.1:%1").arg(port), QStringLiteral("--seconds"),
                QStringLiteral("1"), QStringLiteral("--gnss")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(
        r.err.contains(QStringLiteral("Cannot open port tcp://127.0.0.1:%1: Connection refused")
                           .arg(port)
                           .toUtf8()))
        << r.err.toStdString();
    EXPECT_TRUE(r.err.contains("did not open within 1 s")) << r.err.toStdString();

    const CliResult both =
        runCli({QStringLiteral("decode"), QStringLiteral("--from"), QStringLiteral("udp://:10110"),
                QStringLiteral("--gnss"), QStringLiteral("--sbes")});
    EXPECT_EQ(both.exitCode, 2);
    EXPECT_TRUE(both.err.contains("one of --gnss and --sbes")) << both.err.toStdString();
}

}  // namespace
}  // namespace nivora::test
