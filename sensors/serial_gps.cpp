#include "sensors/serial_gps.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaMethod>
#include <algorithm>
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
      idleTimer_(timers.createTimer()),
      reopenTimer_(timers.createTimer()),
      reports_(this, [this](const QString& text) { emit OnError(this, text); }) {
    pollTimer_->setInterval(kDefaultPollMs);
    pollTimer_->setCallback([this] { pollTick(); });
    idleTimer_->setInterval(kIdleIntervalMs);
    idleTimer_->setCallback([this] { idleCheck(); });
    reopenTimer_->setInterval(kReopenIntervalMs);
    reopenTimer_->setCallback([this] { reopenTick(); });
    factory_ = [](const QString& device) { return makeSerialPortTransport(device); };
}

TNivoraSerialGPS::~TNivoraSerialGPS() {
    // The owner may be half destroyed already: close without raising events.
    blockSignals(true);
    Close();
    // No job of this reader may run once it is gone.
    if (writer_) writer_->flush();
}

// The raw log's writer-thread side: the file and its state, shared with the
// jobs that use it.
struct TNivoraSerialGPS::RawLogFile {
    QString path;
    RecordFile file;
    ReportRelay* reports = nullptr;
    bool failureReported = false;

    bool ensureOpen(LogFileSystem& files) {
        if (file.isOpen()) return true;
        // The raw log is what replay and the office rebuild a day from: make
        // its folder if the day folders are not there yet, and say so when
        // it still cannot be written.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QString why;
        if (file.open(files, path, {}, &why)) return true;
        refused(QStringLiteral("Cannot open the raw log %1: %2").arg(path, why));
        return false;
    }
    void refused(const QString& text) {
        if (failureReported) return;
        failureReported = true;
        reports->post(text);
    }
    qsizetype write(LogFileSystem& files, const std::vector<LogRecord>& lines) {
        if (!ensureOpen(files)) return 0;
        QString why;
        const qsizetype n = file.write(lines, &why);
        if (n < static_cast<qsizetype>(lines.size())) {
            refused(QStringLiteral("Cannot write the raw log %1: %2").arg(path, why));
        } else {
            failureReported = false;
        }
        return n;
    }
};

void TNivoraSerialGPS::setLogWriter(LogWriter* writer) {
    // Lines already handed to the reader's own writer go out first.
    if (ownWriter_) ownWriter_->flush();
    writer_ = writer ? writer : ownWriter_.get();
}

LogWriter& TNivoraSerialGPS::logWriter() {
    if (!writer_) {
        ownWriter_ = std::make_unique<LogWriter>();
        writer_ = ownWriter_.get();
    }
    return *writer_;
}

void TNivoraSerialGPS::flushLog() {
    if (writer_) writer_->flush();
    reports_.deliver();
}

void TNivoraSerialGPS::openRawLog() {
    auto raw = std::make_shared<RawLogFile>();
    raw->path = LogFileName;
    raw->reports = &reports_;
    LogWriter& writer = logWriter();
    writer.post([raw](LogFileSystem& files) { raw->ensureOpen(files); });
    rawFile_ = raw;
    rawQueue_ = std::make_shared<LogQueue>(
        writer, kRawLogQueueLines,
        [raw](LogFileSystem& files, const std::vector<LogRecord>& lines) {
            return raw->write(files, lines);
        });
}

void TNivoraSerialGPS::closeRawLog() {
    if (rawQueue_) {
        // Lines that wait for a disk that refused get one more try; what it
        // still refuses then, and what a full queue dropped, is lost: counted
        // and said once the writer has tried, without holding this thread.
        rawQueue_->retry();
        writer_->post([queue = std::move(rawQueue_), lostLines = rawLinesLost_, reports = &reports_,
                       path = LogFileName](LogFileSystem&) {
            const quint64 lost = queue->lost() + static_cast<quint64>(queue->waiting());
            if (lost == 0) return;
            *lostLines += lost;
            reports->post(QStringLiteral("%1 lines of the raw log %2 were lost: it could not be "
                                         "written")
                              .arg(lost)
                              .arg(path));
        });
    }
    if (rawFile_) {
        writer_->post([raw = std::move(rawFile_)](LogFileSystem&) { raw->file.close(); });
    }
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

QString TNivoraSerialGPS::portDescription() const {
    return (Role.isEmpty() ? QString() : Role + QLatin1Char(' ')) + QStringLiteral("port ") +
           portDisplayName();
}

namespace {

QString capitalised(QString text) {
    if (!text.isEmpty()) text[0] = text[0].toUpper();
    return text;
}

}  // namespace

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

void TNivoraSerialGPS::setReopenInterval(int ms) {
    reopenMs_ = std::max(1, ms);
    reopenTimer_->setInterval(reopenMs_);
}

void TNivoraSerialGPS::Open() {
    if (open_ || reopening_) return;
    if (connectPort(false)) return;
    // A receiver switched on after the program, or an adapter plugged in
    // late, must still be read without the operator.
    reopening_ = true;
    reopenTimer_->start();
}

bool TNivoraSerialGPS::connectPort(bool quiet) {
    // A network source still connecting is asked again, not made anew.
    std::unique_ptr<SerialTransport> transport = pending_   ? std::move(pending_)
                                                 : factory_ ? factory_(deviceName())
                                                            : nullptr;
    if (!transport || !transport->open(serialSettings())) {
        const QString why = transport ? transport->errorString() : QStringLiteral("no such device");
        openError_ = why;
        problem_ = QStringLiteral("Cannot open %1: %2").arg(portDescription(), why);
        if (transport && transport->opening()) {
            // Not a failure yet: said if it fails, as the first attempt would have been.
            pending_ = std::move(transport);
            pendingSays_ = pendingSays_ || !quiet;
            reopenTimer_->setInterval(std::min(kPendingCheckMs, reopenMs_));
            return false;
        }
        reopenTimer_->setInterval(reopenMs_);
        if (!quiet || pendingSays_) emit OnError(this, problem_);
        pendingSays_ = false;
        return false;
    }
    reopenTimer_->setInterval(reopenMs_);
    transport_ = std::move(transport);
    openError_.clear();
    problem_.clear();
    open_ = true;
    if (reopening_) {
        reopening_ = false;
        reopenTimer_->stop();
        // A connection made in the background for the first Open() is no return.
        if (!pendingSays_) ++reconnections_;
    }
    pendingSays_ = false;
    lines_.clear();
    cutsAtConnect_ = lines_.overlongLinesCut();
    cutSaid_ = false;
    behindSaid_ = false;
    dataSeen_ = false;
    if (LogEnabled && !LogFileName.isEmpty()) openRawLog();
    pollTimer_->setInterval(PollInterval < 1 ? kDefaultPollMs : static_cast<int>(PollInterval));
    pollTimer_->start();
    idleTimer_->start();
    emit OnConnect(this, Port);
    return true;
}

void TNivoraSerialGPS::reopenTick() {
    if (reopening_) connectPort(true);
}

void TNivoraSerialGPS::portLost(const QString& why) {
    pollTimer_->stop();
    idleTimer_->stop();
    transport_->close();
    transport_.reset();
    // The lines before the loss are on disk before the port is back.
    closeRawLog();
    open_ = false;
    // Nothing read before the loss may pass for the vessel's position now.
    decoder_.resetNav();
    reopening_ = true;
    reopenTimer_->start();
    problem_ = QStringLiteral("%1 stopped working: %2").arg(capitalised(portDescription()), why);
    emit OnError(this, problem_);
    emit OnPortLost(this, why);
}

void TNivoraSerialGPS::Close() {
    reopening_ = false;
    reopenTimer_->stop();
    reopenTimer_->setInterval(reopenMs_);
    pending_.reset();
    pendingSays_ = false;
    if (!open_) return;
    pollTimer_->stop();
    idleTimer_->stop();
    if (transport_) transport_->close();
    transport_.reset();
    closeRawLog();
    open_ = false;
    decoder_.resetNav();
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

qint64 TNivoraSerialGPS::WriteRaw(const char* data, qint64 size) {
    if (!open_ || !transport_) return -1;
    return transport_->writeQueued(data, size);
}

void TNivoraSerialGPS::pollTick() {
    if (!open_ || !transport_) return;
    qint64 waiting = transport_->bytesAvailable();
    if (waiting < 0) {
        portLost(transport_->errorString());
        return;
    }
    if (waiting == 0) {
        behindSaid_ = false;
        return;
    }
    std::array<char, 16 * 1024> buf;
    qint64 budget = kReadBudgetBytes;
    bool read = false;
    while (open_ && waiting > 0 && budget > 0) {
        qint64 arrivedMs = -1;
        const qint64 n = transport_->readStamped(
            buf.data(), std::min<qint64>({waiting, budget, static_cast<qint64>(buf.size())}),
            arrivedMs);
        if (n <= 0) break;
        read = true;
        budget -= n;
        lines_.feed(
            std::string_view(buf.data(), static_cast<std::size_t>(n)),
            [this](std::string_view line) { return handleLine(line); },
            arrivedMs >= 0 ? arrivedMs : clock_.msecsSinceEpoch());
        if (!open_ || !transport_) return;
        waiting = transport_->bytesAvailable();
    }
    if (!read) return;
    dataSeen_ = true;
    idleTimer_->stop();
    idleTimer_->start();
    // Said once per connection; the count goes on for the summaries.
    if (!cutSaid_ && lines_.overlongLinesCut() > cutsAtConnect_) {
        cutSaid_ = true;
        emit OnError(this, QStringLiteral("%1: a line longer than %2 bytes without a line end "
                                          "was cut")
                               .arg(capitalised(portDescription()))
                               .arg(LineAssembler::kMaxPending));
    }
    if (waiting > 0 && budget <= 0) {
        ++pollsBehind_;
        if (!behindSaid_) {
            behindSaid_ = true;
            emit OnError(this, QStringLiteral("%1 falls behind: %2 bytes wait to be read; "
                                              "shorten its Delay or lower its rate")
                                   .arg(capitalised(portDescription()))
                                   .arg(waiting));
        }
    } else {
        behindSaid_ = false;
    }
}

bool TNivoraSerialGPS::handleLine(std::string_view line) {
    ++linesRead_;
    writeRawLog(line);
    if (nmeaChecksum(line) == Checksum::Invalid) {
        // Serial noise: a corrupted sentence must not become a position.
        ++badChecksums_;
        return open_;
    }
    // Cut and decoded once, for the owner and for the reader's own values,
    // which take the line after the owner has seen it.
    const NmeaSentence sentence = splitNmea(line);
    const GnssReading reading = DecodesGnss ? decoder_.decode(sentence) : GnssReading{};
    if (sink_) sink_(sentence, reading);
    static const QMetaMethod newCommand = QMetaMethod::fromSignal(&TNivoraSerialGPS::OnNewCommand);
    if (isSignalConnected(newCommand))
        emit OnNewCommand(this, QByteArray(line.data(), static_cast<qsizetype>(line.size())));
    if (!open_) return false;
    if (!DecodesGnss) return true;
    decoder_.apply(reading);
    const DecodeResult& r = reading.nav;
    const NavValues& nav = decoder_.nav();
    if (r.positionChanged) emit OnPosition3DChange(this, nav.latitude, nav.longitude, nav.altitude);
    if (r.type == SentenceType::GGA && r.accepted && open_) emit OnEpoch(this);
    if (r.speedChanged && open_) emit OnSpeedChange(this, nav.speed);
    return open_;
}

void TNivoraSerialGPS::writeRawLog(std::string_view line) {
    if (!rawQueue_) return;
    QByteArray bytes;
    if (LogTimeStamp) {
        const QDateTime now = QDateTime::fromMSecsSinceEpoch(lines_.lineArrivedMs());
        bytes = (formatDate(DateFormat, now.date()) + QLatin1Char(' ') +
                 formatTime(TimeFormat, now.time()) + QLatin1Char(' '))
                    .toLatin1();
    }
    bytes.append(line.data(), static_cast<qsizetype>(line.size()));
    bytes += '\n';
    rawQueue_->push({std::move(bytes), {}});
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
