#pragma once

// The one path for errors that end a handler: the text goes to the message
// window and the events log. The same text is passed on at most once every
// five seconds, so a fault repeated on every sentence cannot flood the
// operator or the log.

#include <QHash>
#include <QString>
#include <functional>

namespace nivora {

class Clock;

class ErrorReporter {
  public:
    using Sink = std::function<void(const QString&)>;
    static constexpr qint64 kRepeatIntervalMs = 5000;

    ErrorReporter(const Clock& clock, Sink sink);

    // Returns whether the text was passed on.
    bool report(const QString& text);

  private:
    const Clock& clock_;
    Sink sink_;
    QHash<QString, qint64> lastShown_;
};

}  // namespace nivora
