#pragma once

// gpsd as a source: the client asks gpsd to relay its devices' NMEA, which
// the reader then decodes as from a port, and reads the JSON reports it
// needs beside it: which devices are active, so that a device that went
// away is a lost source.

#include <QByteArray>
#include <QSet>
#include <QString>
#include <memory>

#include "sensors/network_source.h"
#include "sensors/serial_transport.h"

namespace nivora {

// Splits what gpsd sends into the NMEA lines, passed on as they came, and
// the JSON objects, kept for the client.
class GpsdStream {
  public:
    // A line that does not end within this many bytes is dropped to its end.
    static constexpr qsizetype kMaxLineBytes = 16 * 1024;

    // `device`: the one device followed; empty for all.
    explicit GpsdStream(QString device = {}) : device_(std::move(device)) {}

    // The NMEA lines complete in the bytes, with their line ends.
    QByteArray feed(const char* data, qsizetype size);

    // The request that starts the relay. JSON is asked for too: gpsd says
    // that a device went away only to its JSON watchers.
    QByteArray watchRequest() const;

    // gpsd has named an active device (of the one followed, if any).
    bool hasDevice() const { return !active_.isEmpty(); }
    // A device was active and none is now: the last one that went.
    bool deviceLost() const { return lost_; }
    const QString& lostDevice() const { return lostPath_; }
    // The last ERROR report's message.
    const QString& lastError() const { return lastError_; }
    // Lines that were too long or JSON that did not parse.
    quint64 linesDropped() const { return dropped_; }

  private:
    void takeLine(const QByteArray& line, QByteArray& nmea);
    void takeJson(const QByteArray& line);
    void deviceReport(const QString& path, bool active);

    QString device_;
    QByteArray partial_;
    bool skipping_ = false;  // inside a line too long to keep
    QSet<QString> active_;
    bool lost_ = false;
    QString lostPath_;
    QString lastError_;
    quint64 dropped_ = 0;
};

std::unique_ptr<SerialTransport> makeGpsdTransport(const NetworkSource& source);

}  // namespace nivora
