#include "survey/autopilot_output.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <QUrl>

namespace nivora {

AutopilotOutput::AutopilotOutput(ErrorSink reportError, TransportFactory serial)
    : reportError_(std::move(reportError)), serialFactory_(std::move(serial)) {}

AutopilotOutput::~AutopilotOutput() = default;

void AutopilotOutput::configure(const QString& target, double rateHz) {
    periodMs_ = 1000.0 / std::max(rateHz, 0.01);
    if (target.trimmed() == target_) return;
    close();
    target_ = target.trimmed();
    said_.clear();
    retryAtMs_ = 0;
}

void AutopilotOutput::close() {
    udp_.reset();
    if (serial_) serial_->close();
    serial_.reset();
}

bool AutopilotOutput::open(qint64 nowMs) {
    if (udp_ || serial_) return true;
    if (nowMs < retryAtMs_) return false;
    QString why;
    if (target_.startsWith(QLatin1String("udp://"), Qt::CaseInsensitive)) {
        const QUrl url(target_);
        const QHostAddress address(url.host());
        if (url.port() <= 0 || address.isNull()) {
            why = QStringLiteral("it needs udp://ADDRESS:PORT");
        } else {
            host_ = address;
            port_ = static_cast<quint16>(url.port());
            udp_ = std::make_unique<QUdpSocket>();
        }
    } else if (!target_.isEmpty()) {
        const QStringList parts = target_.split(QLatin1Char(','));
        bool ok = true;
        const quint32 baud = parts.size() > 1 ? parts[1].trimmed().toUInt(&ok) : 4800;
        auto port = serialFactory_(parts[0].trimmed());
        SerialSettings settings;
        settings.baudRate = ok && baud ? baud : 4800;
        if (port && port->open(settings)) {
            serial_ = std::move(port);
        } else {
            why = port ? port->errorString() : QStringLiteral("no such port");
        }
    } else {
        why = QStringLiteral("no port is set");
    }
    if (udp_ || serial_) {
        said_.clear();
        return true;
    }
    retryAtMs_ = nowMs + 2000;
    const QString text =
        QStringLiteral("Autopilot output %1 cannot be opened: %2").arg(target_, why);
    if (text != said_ && reportError_) reportError_(text);
    said_ = text;
    return false;
}

bool AutopilotOutput::offer(const std::vector<std::string>& sentences, qint64 nowMs) {
    if (sentOnce_ && nowMs - lastSendMs_ < periodMs_ - 1e-6) return false;
    if (!open(nowMs)) return false;
    std::string bytes;
    for (const std::string& s : sentences)
        bytes += s;
    bool ok = true;
    if (udp_) {
        // One datagram per sentence: a listener reads a sentence per packet.
        for (const std::string& s : sentences) {
            ok = udp_->writeDatagram(s.data(), static_cast<qint64>(s.size()), host_, port_) ==
                     static_cast<qint64>(s.size()) &&
                 ok;
        }
    } else if (serial_) {
        ok = serial_->write(bytes.data(), static_cast<qint64>(bytes.size())) ==
             static_cast<qint64>(bytes.size());
        if (!ok) {
            const QString text = QStringLiteral("Autopilot output %1 failed: %2")
                                     .arg(target_, serial_->errorString());
            if (text != said_ && reportError_) reportError_(text);
            said_ = text;
            close();
            retryAtMs_ = nowMs + 2000;
        }
    }
    lastSendMs_ = nowMs;
    sentOnce_ = true;
    if (ok) sent_ += static_cast<qint64>(sentences.size());
    return ok;
}

}  // namespace nivora
