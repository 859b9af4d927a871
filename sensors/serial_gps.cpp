#include "sensors/serial_gps.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>
#include <array>

#include "core/date_time_text.h"
#include "sensors/port_names.h"

namespace nivora {

TNivoraSerialGPS::TNivoraSerialGPS(QObject* parent)
    : TNivoraSerialGPS(SystemClock::instance(), QtTimerSource::instance(), parent) {}

TNivoraSerialGPS::TNivoraSerialGPS(Clock& clock, TimerSource& timers, QObject* parent)
    : QObject(parent),
      clock_(clock),
      pollTimer_(timers.createTimer()),
      idleTimer_(timers.createTimer()) {
    pollTimer_->setInterval(kDefaultPollMs);
    pollTimer_->setCallback([this] { pollTick(); });
    idleTimer_->setInterval(kIdleIntervalMs);
    idleTimer_->setCallback([this] { idleCheck(); });
    factory_ = [](const QString& device) { return makeSerialPortTransport(device); };
}

TNivoraSerialGPS::~TNivoraSerialGPS() {
    // The owner may be half destroyed already: close without raising events.
    blockSignals(true);
    Close();
}

void TNivoraSerialGPS::setTransportFactory(TransportFactory factory) {
    factory_ = std::move(factory);
}

QString TNivoraSerialGPS::deviceName() const {
    return DevicePath.isEmpty() ? comDeviceName(Port) : DevicePath;
}

QString TNivoraSerialGPS::portDisplayName() const {
    return DevicePath.isEmpty() ? PortName(Port) : DevicePath;
}

QByteArray TNivoraSerialGPS::pendingText() const {
    const std::string_view p = lines_.pendingText();
    return QByteArray(p.data(), static_cast<qsizetype>(p.size()));
}

SerialSettings TNivoraSerialGPS::serialSettings() const {
    SerialSettings s;
    s.baudRate = BaudRate;
    s.dataBits = DataBits + 4;
    s.stopBits = StopBits == 2   ? SerialSettings::Stop::OneAndHalf
                 : StopBits == 3 ? SerialSettings::Stop::Two
                                 : SerialSettings::Stop::One;
    s.parity = Parity;
    s.dtr = EnableDTR;
    s.rts = EnableRTS;
    return s;
}

void TNivoraSerialGPS::Open() {
    if (open_) return;
    auto transport = factory_ ? factory_(deviceName()) : nullptr;
    if (!transport || !transport->open(serialSettings())) {
        const QString why = transport ? transport->errorString() : QStringLiteral("no such device");
        emit OnError(this, QStringLiteral("Cannot open port %1: %2").arg(portDisplayName(), why));
        return;
    }
    transport_ = std::move(transport);
    open_ = true;
    lines_.clear();
    dataSeen_ = false;
    portFailureReported_ = false;
    if (LogEnabled && !LogFileName.isEmpty()) {
        // The raw log is what replay and the office rebuild a day from: make
        // its folder if the day folders are not there yet, and say so when it
        // still cannot be written.
        QDir().mkpath(QFileInfo(LogFileName).absolutePath());
        log_.setFileName(LogFileName);
        if (!log_.open(QIODevice::Append | QIODevice::WriteOnly)) {
            emit OnError(this, QStringLiteral("Cannot open the raw log %1: %2")
                                   .arg(LogFileName, log_.errorString()));
        }
    }
    pollTimer_->setInterval(PollInterval < 1 ? kDefaultPollMs : static_cast<int>(PollInterval));
    pollTimer_->start();
    idleTimer_->start();
    emit OnConnect(this, Port);
}

void TNivoraSerialGPS::Close() {
    if (!open_) return;
    pollTimer_->stop();
    idleTimer_->stop();
    if (transport_) transport_->close();
    transport_.reset();
    if (log_.isOpen()) log_.close();
    open_ = false;
    nav_ = NavValues{};
    emit OnDisconnect(this, Port);
}

void TNivoraSerialGPS::Write(const QByteArray& text) {
    if (!open_ || !transport_) return;
    const qint64 sent = transport_->write(text.constData(), text.size());
    if (sent != text.size()) {
        emit OnError(this, QStringLiteral("Command not sent to device on %1: %2")
                               .arg(portDisplayName(), transport_->errorString()));
        return;
    }
    emit OnSend(this, text);
}

void TNivoraSerialGPS::pollTick() {
    if (!open_ || !transport_) return;
    const qint64 waiting = transport_->bytesAvailable();
    if (waiting < 0) {
        // Read errors end the tick; a port that has gone away is said once.
        if (!portFailureReported_) {
            portFailureReported_ = true;
            emit OnError(this, QStringLiteral("Port %1 stopped working: %2")
                                   .arg(portDisplayName(), transport_->errorString()));
        }
        return;
    }
    if (waiting == 0) return;
    std::array<char, kMaxReadBytes + 1> buf;
    const qint64 n = transport_->read(buf.data(), std::min<qint64>(waiting, kMaxReadBytes));
    if (n <= 0) return;
    lines_.append(std::string_view(buf.data(), static_cast<std::size_t>(n)));
    dataSeen_ = true;
    idleTimer_->stop();
    idleTimer_->start();
    assembleLines();
}

void TNivoraSerialGPS::assembleLines() {
    std::string_view line;
    while (open_ && lines_.next(line))
        handleLine(line);
    lines_.bound();
}

void TNivoraSerialGPS::handleLine(std::string_view line) {
    writeRawLog(line);
    if (nmeaChecksum(line) == Checksum::Invalid) {
        // Serial noise: a corrupted sentence must not become a position.
        ++badChecksums_;
        return;
    }
    const NmeaSentence sentence = splitNmea(line);
    if (sink_) sink_(sentence);
    static const QMetaMethod newCommand = QMetaMethod::fromSignal(&TNivoraSerialGPS::OnNewCommand);
    if (isSignalConnected(newCommand))
        emit OnNewCommand(this, QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    if (!open_ || line.empty() || line[0] != '$') return;
    const DecodeResult r = decodeNmea(sentence, nav_);
    if (r.positionChanged)
        emit OnPosition3DChange(this, nav_.latitude, nav_.longitude, nav_.altitude);
    if (r.speedChanged && open_) emit OnSpeedChange(this, nav_.speed);
}

void TNivoraSerialGPS::writeRawLog(std::string_view line) {
    if (!log_.isOpen()) return;
    if (LogTimeStamp) {
        const QDateTime now = clock_.now();
        const QString prefix = formatDate(DateFormat, now.date()) + QLatin1Char(' ') +
                               formatTime(TimeFormat, now.time()) + QLatin1Char(' ');
        log_.write(prefix.toLatin1());
    }
    log_.write(line.data(), static_cast<qint64>(line.size()));
    log_.write("\n", 1);
    log_.flush();
}

void TNivoraSerialGPS::idleCheck() {
    if (!open_) return;
    if (dataSeen_) {
        dataSeen_ = false;
        return;
    }
    emit OnIdle(this);
    emit OnTimeout(this);
    dataSeen_ = false;
}

}  // namespace nivora
