#pragma once

// TNivoraSerialGPS owns one serial port: it opens it, polls it from a timer,
// cuts the bytes into lines, writes them to the raw log, hands each line to
// its owner, decodes GGA, RMC and VTG itself, watches for silence and writes
// commands to the device. Everything runs on the thread of its timers, but
// the raw log's file work, which goes to a writer thread.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <atomic>
#include <functional>
#include <memory>

#include "core/clock.h"
#include "core/log_writer.h"
#include "sensors/gnss_decoder.h"
#include "sensors/line_assembler.h"
#include "sensors/nmea.h"
#include "sensors/serial_transport.h"

namespace nivora {

class TNivoraSerialGPS : public QObject {
    Q_OBJECT

  public:
    static constexpr int kIdleIntervalMs = 5000;
    static constexpr int kDefaultPollMs = 50;
    // A port that went away or did not open is tried again this often.
    static constexpr int kReopenIntervalMs = 2000;
    // A network connection being made is looked at this often: it stands
    // within milliseconds, and waiting for the next retry would cost the
    // first two seconds of lines (and of corrections to the receiver).
    static constexpr int kPendingCheckMs = 100;
    // What one poll reads at most: far more than the fastest port sends
    // between two polls (230400 baud is 23 kB/s, 1.2 kB per 50 ms poll), so
    // the reader keeps up, but bounded so that a flood cannot hold the
    // thread. Bytes left waiting after it are said: the port falls behind.
    static constexpr qint64 kReadBudgetBytes = 256 * 1024;
    // Raw log lines that may wait for the disk: some ten minutes of a busy receiver.
    static constexpr qsizetype kRawLogQueueLines = 50000;

    explicit TNivoraSerialGPS(QObject* parent = nullptr);
    TNivoraSerialGPS(Clock& clock, TimerSource& timers, QObject* parent = nullptr);
    ~TNivoraSerialGPS() override;

    // Settings; applied at the next Open.
    quint32 Port = 1;  // COM number 1..20
    quint32 BaudRate = 9600;
    qint32 DataBits = 4;        // byte size = code + 4
    quint32 StopBits = 1;       // 1 one, 2 one and a half, 3 two; other values one
    quint32 Parity = 0;         // 0 none, 1 odd, 2 even, 3 mark, 4 space; above 4: the driver's
    quint8 Priority = 3;        // kept, not used
    quint32 PollInterval = 50;  // ms; below 1 means 50
    bool LogEnabled = false;
    bool LogTimeStamp = false;
    bool EnableDTR = false;
    bool EnableRTS = false;
    QString LogFileName;
    QString TimeFormat = QStringLiteral("hhnnsszzz");
    QString DateFormat = QStringLiteral("YYYY-MM-DD");
    // A device path typed by the user ("/dev/ttyUSB0"), "SIM" or a network
    // source ("tcp://192.168.1.10:5017"); when set it is opened instead of
    // the COM number.
    QString DevicePath;
    // What is on the port ("GPS", "echosounder"), so that a message says
    // which device it is about; empty: just the port.
    QString Role;
    // Lines are decoded as GNSS sentences (the reader's own position, speed
    // and course, and the survey's readings); a sounder's reader has no use
    // for them.
    bool DecodesGnss = true;

    // Where the bytes come from; the default opens a QSerialPort.
    void setTransportFactory(TransportFactory factory);

    // The owner's handler of every line with a good or absent checksum,
    // with the line cut and decoded once for both. It runs before the
    // reader takes the line into its own values and raises its events (the
    // reading holds the values with the line and without it).
    using LineSink = std::function<void(const NmeaSentence&, const GnssReading&)>;
    void setLineSink(LineSink sink) { sink_ = std::move(sink); }

    // The writer thread of the raw log: one shared with the other logs, or
    // (null) one of the reader's own. Applies at the next Open; `writer`
    // must outlive the reader.
    void setLogWriter(LogWriter* writer);
    // Returns when every line handed to the raw log so far has been written
    // (or given up), with the raw log's reports passed on.
    void flushLog();

    // Opens the port. A port that is missing, busy or refuses its settings
    // is said once and then tried again every kReopenIntervalMs, quietly,
    // until it opens or Close() is called; so is a port that goes away while
    // open (a USB adapter unplugged or reset).
    void Open();
    void Close();
    void Write(const QByteArray& text);
    // Bytes for the device as they are (RTK corrections): no raw log, no
    // OnSend, never waits for a slow port. Returns the bytes taken; negative
    // when the port is not open or does not take them.
    qint64 WriteRaw(const char* data, qint64 size);

    bool isOpen() const { return open_; }
    // Open() was called, the port is not open and is being tried again.
    bool isReopening() const { return reopening_; }
    void setReopenInterval(int ms);
    // Why the last Open failed; empty after one that worked.
    const QString& openError() const { return openError_; }
    // The port's trouble as said to the operator ("Cannot open GPS port
    // COM3: ...", "GPS port COM3 stopped working: ..."); empty once it works.
    const QString& problem() const { return problem_; }
    // The device the port settings select ("COM3", "/dev/ttyS2", a typed path).
    QString deviceName() const;
    // The port as messages name it: "COM3", or the typed path.
    QString portDisplayName() const;
    // "GPS port COM3" ("port COM3" without a role), for messages.
    QString portDescription() const;

    double Latitude() const { return nav().latitude; }
    double Longitude() const { return nav().longitude; }
    double Altitude() const { return nav().altitude; }
    double Speed() const { return nav().speed; }
    double Course() const { return nav().course; }
    int FixQuality() const { return nav().fixQuality; }
    int Satellites() const { return nav().satellites; }
    const NavValues& nav() const { return decoder_.nav(); }

    // When the first byte of the line being handled arrived (ms since 1970
    // UTC): for the line sink, which runs with the line.
    qint64 lineArrivedMs() const { return lines_.lineArrivedMs(); }

    // Sentences dropped because their checksum did not match, since construction.
    quint64 badChecksumCount() const { return badChecksums_; }
    // Non-empty lines received, since construction.
    quint64 linesRead() const { return linesRead_; }
    // Opens after a lost port or a failed first open, since construction.
    quint64 reconnections() const { return reconnections_; }
    // Raw-log lines that never reached the file (a full queue, a disk that
    // refused them to the end), counted when their log closes; flushLog()
    // first for the count of a close just made.
    quint64 rawLinesLost() const { return *rawLinesLost_; }
    // Text received but not yet ended by a line feed.
    QByteArray pendingText() const;
    // Binary bytes skipped between sentences, lines cut for want of a line
    // end, and polls that left bytes waiting, since construction.
    quint64 binaryBytesSkipped() const { return lines_.binaryBytesSkipped(); }
    quint64 overlongLinesCut() const { return lines_.overlongLinesCut(); }
    quint64 pollsBehind() const { return pollsBehind_; }

    // One poll tick and one idle check, as the timers run them.
    void pollTick();
    void idleCheck();
    void reopenTick();

  signals:
    void OnConnect(nivora::TNivoraSerialGPS* sender, quint32 port);
    void OnDisconnect(nivora::TNivoraSerialGPS* sender, quint32 port);
    void OnIdle(nivora::TNivoraSerialGPS* sender);
    void OnTimeout(nivora::TNivoraSerialGPS* sender);
    void OnNewCommand(nivora::TNivoraSerialGPS* sender, const QByteArray& line);
    void OnPosition3DChange(nivora::TNivoraSerialGPS* sender, double latitude, double longitude,
                            double altitude);
    void OnSpeedChange(nivora::TNivoraSerialGPS* sender, double speedKmh);
    // Every GGA with a position, changed or not (a boat at anchor sends the
    // same one): the GNSS is alive.
    void OnEpoch(nivora::TNivoraSerialGPS* sender);
    void OnSend(nivora::TNivoraSerialGPS* sender, const QByteArray& text);
    // A port that does not open, a write that did not go out, a port that
    // went away: the owner passes the text to its error report.
    void OnError(nivora::TNivoraSerialGPS* sender, const QString& text);
    // The open port went away; the reader is trying to open it again. Its
    // navigation values are zero, as after a close; OnConnect follows when
    // the port is back.
    void OnPortLost(nivora::TNivoraSerialGPS* sender, const QString& why);

  private:
    bool connectPort(bool quiet);
    void portLost(const QString& why);
    bool handleLine(std::string_view line);
    void writeRawLog(std::string_view line);
    void openRawLog();
    void closeRawLog();
    LogWriter& logWriter();
    SerialSettings serialSettings() const;

    Clock& clock_;
    std::unique_ptr<Timer> pollTimer_;
    std::unique_ptr<Timer> idleTimer_;
    std::unique_ptr<Timer> reopenTimer_;
    TransportFactory factory_;
    LineSink sink_;
    std::unique_ptr<SerialTransport> transport_;
    // A network source whose connection is being made; the first failure
    // of an Open() still to be said when it comes.
    std::unique_ptr<SerialTransport> pending_;
    bool pendingSays_ = false;
    int reopenMs_ = kReopenIntervalMs;
    bool open_ = false;
    bool reopening_ = false;
    bool dataSeen_ = false;
    LineAssembler lines_;
    QString openError_;
    QString problem_;
    struct RawLogFile;
    LogWriter* writer_ = nullptr;
    std::unique_ptr<LogWriter> ownWriter_;
    std::shared_ptr<RawLogFile> rawFile_;
    std::shared_ptr<LogQueue> rawQueue_;
    std::shared_ptr<std::atomic<quint64>> rawLinesLost_ = std::make_shared<std::atomic<quint64>>(0);
    ReportRelay reports_;
    GnssDecoder decoder_;
    quint64 badChecksums_ = 0;
    quint64 linesRead_ = 0;
    quint64 reconnections_ = 0;
    quint64 pollsBehind_ = 0;
    quint64 cutsAtConnect_ = 0;
    bool cutSaid_ = false;
    bool behindSaid_ = false;
};

}  // namespace nivora
