#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "sensors/nmea.h"
#include "sensors/port_names.h"

namespace nivora {
namespace {

std::string withChecksum(const std::string& body) {
    return withNmeaChecksum(body);
}

TEST(NmeaGga, TextbookSentence) {
    NavValues nav;
    const auto r =
        decodeNmea("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47", nav);
    EXPECT_EQ(r.type, SentenceType::GGA);
    EXPECT_TRUE(r.accepted);
    EXPECT_TRUE(r.positionChanged);
    EXPECT_NEAR(nav.latitude, 48.1173, 1e-12);
    EXPECT_NEAR(nav.longitude, 11.0 + 31.0 / 60.0, 1e-12);
    EXPECT_DOUBLE_EQ(nav.altitude, 545.4);
    EXPECT_EQ(nav.fixQuality, 1);
    EXPECT_EQ(nav.satellites, 8);
}

TEST(NmeaGga, PositionEventOnlyWhenSomethingChanged) {
    NavValues nav;
    const std::string s = "$GNGGA,123519,4807.038,N,01131.000,E,4,08,0.9,545.4,M,46.9,M,,";
    EXPECT_TRUE(decodeNmea(s, nav).positionChanged);
    EXPECT_FALSE(decodeNmea(s, nav).positionChanged);
    EXPECT_TRUE(decodeNmea("$GNGGA,123520,4807.038,N,01131.000,E,4,08,0.9,545.5,M,46.9,M,,", nav)
                    .positionChanged)
        << "altitude alone is a change";
}

TEST(NmeaGga, HemispheresAreExactUpperCaseLetters) {
    NavValues nav;
    decodeNmea("$GPGGA,1,4807.038,S,01131.000,W,1,08,0.9,1,M,0,M,,", nav);
    EXPECT_LT(nav.latitude, 0);
    EXPECT_LT(nav.longitude, 0);
    decodeNmea("$GPGGA,1,4807.038,s,01131.000,w,1,08,0.9,1,M,0,M,,", nav);
    EXPECT_GT(nav.latitude, 0);
    EXPECT_GT(nav.longitude, 0);
}

TEST(NmeaGga, FieldRules) {
    NavValues nav;
    decodeNmea("$GPGGA,1,4807.038,N,01131.000,E,4,12,0.9,10.5,M,0,M,,", nav);
    // Too few fields: ignored entirely.
    EXPECT_FALSE(decodeNmea("$GPGGA,1,4900.000,N,01131.000,E,1,08,0.9", nav).accepted);
    EXPECT_NEAR(nav.latitude, 48.1173, 1e-12);
    // Empty fix and satellite fields keep their values; an empty altitude keeps the altitude.
    decodeNmea("$GPGGA,1,4900.000,N,01131.000,E,,,0.9,,M,0,M,,", nav);
    EXPECT_EQ(nav.fixQuality, 4);
    EXPECT_EQ(nav.satellites, 12);
    EXPECT_DOUBLE_EQ(nav.altitude, 10.5);
    EXPECT_DOUBLE_EQ(nav.latitude, 49.0);
    // Non-numbers read as 0, except in the position.
    decodeNmea("$GPGGA,1,4900.000,N,01131.000,E,x,y,0.9,z,M,0,M,,", nav);
    EXPECT_EQ(nav.fixQuality, 0);
    EXPECT_EQ(nav.satellites, 0);
    EXPECT_EQ(nav.altitude, 0);
    const NavValues before = nav;
    const auto r = decodeNmea("$GPGGA,1,49x0.000,N,01131.000,E,5,9,0.9,3,M,0,M,,", nav);
    EXPECT_FALSE(r.accepted) << "a letter in the latitude aborts the sentence";
    EXPECT_EQ(nav.fixQuality, before.fixQuality);
    EXPECT_EQ(nav.latitude, before.latitude);
}

TEST(NmeaGga, NoFixMovesThePositionToZero) {
    NavValues nav;
    decodeNmea("$GPGGA,1,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,", nav);
    const auto r = decodeNmea("$GPGGA,2,,,,,0,00,,,M,,M,,", nav);
    EXPECT_TRUE(r.positionChanged);
    EXPECT_EQ(nav.latitude, 0);
    EXPECT_EQ(nav.longitude, 0);
    EXPECT_EQ(nav.fixQuality, 0);
}

TEST(NmeaCoordinate, DegreeDigitsFollowThePoint) {
    double v = -1;
    EXPECT_TRUE(nmeaCoordinate("4807.038", "N", v));
    EXPECT_NEAR(v, 48.1173, 1e-12);
    EXPECT_TRUE(nmeaCoordinate("01131.000", "E", v));
    EXPECT_NEAR(v, 11.516666666666667, 1e-12);
    EXPECT_TRUE(nmeaCoordinate("4807", "N", v));
    EXPECT_EQ(v, 0) << "no point: 0";
    EXPECT_TRUE(nmeaCoordinate("7.5", "N", v));
    EXPECT_EQ(v, 0) << "point before the third character: 0";
    EXPECT_TRUE(nmeaCoordinate("", "N", v));
    EXPECT_EQ(v, 0);
    EXPECT_TRUE(nmeaCoordinate("4134.49821229", "N", v));
    EXPECT_NEAR(v, 41.574970204833, 1e-11);
    EXPECT_FALSE(nmeaCoordinate("4a07.038", "N", v));
    EXPECT_FALSE(nmeaCoordinate("48..038", "N", v));
}

TEST(NmeaRmcVtg, SpeedAndCourse) {
    NavValues nav;
    auto r =
        decodeNmea("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", nav);
    EXPECT_TRUE(r.accepted);
    EXPECT_TRUE(r.speedChanged);
    EXPECT_NEAR(nav.speed, 22.4 * 1.852, 1e-12);
    EXPECT_DOUBLE_EQ(nav.course, 84.4);
    EXPECT_EQ(nav.latitude, 0) << "RMC does not move the position";
    r = decodeNmea("$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A", nav);
    EXPECT_FALSE(r.speedChanged);
    r = decodeNmea("$GPVTG,054.7,T,034.4,M,005.5,N,010.2,K*48", nav);
    EXPECT_TRUE(r.speedChanged);
    EXPECT_DOUBLE_EQ(nav.speed, 10.2);
    EXPECT_DOUBLE_EQ(nav.course, 54.7);
    // Exactly eight fields: RMC has no track angle to read, and must not read past the fields.
    r = decodeNmea("$GPRMC,1,A,4807.038,N,01131.000,E,1.0", nav);
    EXPECT_TRUE(r.accepted);
    EXPECT_DOUBLE_EQ(nav.course, 54.7);
    EXPECT_FALSE(decodeNmea("$GPVTG,054.7,T,034.4,M,005.5,N", nav).accepted);
}

TEST(NmeaDispatch, TypeComesFromTheAddressField) {
    NavValues nav;
    EXPECT_EQ(decodeNmea("$GPZDA,201530.00,04,07,2002,00,00*60", nav).type, SentenceType::ZDA);
    EXPECT_EQ(decodeNmea("$GPGSA,A,3,04,05,,09,12,,,24,,,,,2.5,1.3,2.1*39", nav).type,
              SentenceType::GSA);
    EXPECT_EQ(decodeNmea("$PXYZ,GGA,1,2,3,4,5,6,7,8,9,10", nav).type, SentenceType::Unknown);
    EXPECT_EQ(decodeNmea("$GPGG", nav).type, SentenceType::Unknown);
    EXPECT_EQ(decodeNmea("$GPGGA*12", nav).type, SentenceType::GGA)
        << "text after the star is cut off";
}

TEST(NmeaChecksum, PresentValidOrCorrupted) {
    EXPECT_EQ(withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,"),
              "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47");
    const std::string good =
        withChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,");
    EXPECT_EQ(nmeaChecksum(good), Checksum::Valid);
    EXPECT_EQ(nmeaChecksum("$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"),
              Checksum::Valid);
    std::string flipped = good;
    flipped[20] = '9';
    EXPECT_EQ(nmeaChecksum(flipped), Checksum::Invalid);
    EXPECT_EQ(nmeaChecksum("$GPHDT,274.07,T"), Checksum::Absent);
    EXPECT_EQ(nmeaChecksum("$GPHDT,274.07,T*"), Checksum::Absent);
    EXPECT_EQ(nmeaChecksum("$GPHDT,274.07,T*0"), Checksum::Absent);
    EXPECT_EQ(nmeaChecksum("$GPHDT,274.07,T*zz"), Checksum::Absent);
    EXPECT_EQ(nmeaChecksum("SMT,12.5*00"), Checksum::Absent) << "not an NMEA sentence";
    EXPECT_EQ(nmeaChecksum(withChecksum("!AIVDM,1,1,,A,13aEOK?P00PD2wVMdLDRhgvL289?,0")),
              Checksum::Valid);
    EXPECT_EQ(nmeaChecksum(withChecksum("$GPHDT,1,T") + "\r"), Checksum::Valid)
        << "anything after hh is ignored";
}

TEST(MalformedInput, NeverCrashesOrReadsPastTheLine) {
    const std::string cases[] = {
        std::string("$GPGGA\0,1,2", 12),
        "$",
        "$GPGGA,",
        "$GPGGA,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,,",
        "$GPGGA,1e999,9999999999999999999999.9,N,99999999999999999999999.9,E,99999999999,"
        "99999999999,1,1e400,M",
        "$GPRMC,,,,,,,,,",
        "$GPVTG,nan,T,inf,M,x,N,-inf,K",
        std::string(10000, '$'),
        "$GPGGA" + std::string(10000, ','),
        "$\x01\x02\xff\xfeGGA,\x80,\x90",
    };
    for (const auto& c : cases) {
        NavValues nav;
        decodeNmea(c, nav);
        nmeaChecksum(c);
        EXPECT_TRUE(std::isfinite(nav.latitude) || std::isnan(nav.latitude));
    }
    NavValues nav;
    decodeNmea("$GPVTG,nan,T,inf,M,x,N,-inf,K", nav);
    EXPECT_EQ(nav.course, 0) << "nan is not a number here";
    EXPECT_EQ(nav.speed, 0);
}

TEST(PortNames, ParsingAndValidation) {
    EXPECT_EQ(ParsePortName(QStringLiteral("COM0")), 1u);
    EXPECT_EQ(ParsePortName(QString()), 1u);
    EXPECT_EQ(ParsePortName(QStringLiteral("com7")), 7u);
    EXPECT_EQ(ParsePortName(QStringLiteral("COM99")), 20u);
    EXPECT_EQ(ParsePortName(QStringLiteral("COM25")), 20u);
    EXPECT_EQ(ParsePortName(QStringLiteral("abc")), 1u);
    EXPECT_EQ(ParsePortName(QStringLiteral("12")), 12u);
    EXPECT_EQ(ParsePortName(QStringLiteral("COM-3")), 1u);
    EXPECT_EQ(PortName(4), QStringLiteral("COM4"));
    EXPECT_EQ(ValidBaudRate(56000), 9600u);
    EXPECT_EQ(ValidBaudRate(230400), 230400u);
    EXPECT_EQ(ValidBaudRate(4800), 4800u);
    EXPECT_EQ(ValidBaudRate(9600), 9600u);
    EXPECT_EQ(ValidBaudRate(256000), 9600u);

    EXPECT_EQ(selectPort(QStringLiteral("/dev/ttyUSB0")).kind, PortSelection::Kind::DevicePath);
    EXPECT_EQ(selectPort(QStringLiteral("/dev/ttyUSB0")).path, QStringLiteral("/dev/ttyUSB0"));
    EXPECT_EQ(selectPort(QStringLiteral("sim")).kind, PortSelection::Kind::Simulator);
    const auto com = selectPort(QStringLiteral("COM3"));
    EXPECT_EQ(com.kind, PortSelection::Kind::ComNumber);
    EXPECT_EQ(com.number, 3u);
}

}  // namespace
}  // namespace nivora
