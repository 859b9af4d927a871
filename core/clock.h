#pragma once

// Time as the program sees it. The GUI runs on the wall clock and Qt timers;
// the command line and the tests run on VirtualTime, where a survey hour
// passes in seconds and every run gives the same results.

#include <QDateTime>
#include <functional>
#include <memory>
#include <vector>

namespace nivora {

class Clock {
  public:
    virtual ~Clock() = default;
    // Local date and time.
    virtual QDateTime now() const = 0;
    // Milliseconds since 1970 UTC: a time stamp for every line, without
    // the cost of a local date and time.
    virtual qint64 msecsSinceEpoch() const { return now().toMSecsSinceEpoch(); }
};

// The computer's clock.
class SystemClock final : public Clock {
  public:
    QDateTime now() const override { return QDateTime::currentDateTime(); }
    qint64 msecsSinceEpoch() const override { return QDateTime::currentMSecsSinceEpoch(); }
    static SystemClock& instance();
};

// A repeating timer. start() (re)starts a full interval, like enabling a
// timer that was off.
class Timer {
  public:
    virtual ~Timer() = default;
    void setCallback(std::function<void()> callback) { callback_ = std::move(callback); }
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void start() = 0;
    virtual void stop() = 0;
    virtual bool isActive() const = 0;

  protected:
    void fire() {
        if (callback_) callback_();
    }

  private:
    std::function<void()> callback_;
};

class TimerSource {
  public:
    virtual ~TimerSource() = default;
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

// Timers on the Qt event loop.
class QtTimerSource final : public TimerSource {
  public:
    std::unique_ptr<Timer> createTimer() override;
    static QtTimerSource& instance();
};

// Clock and timers in virtual time: nothing happens until advance() moves
// the clock, which then runs each timer that falls due in time order.
class VirtualTime final : public Clock, public TimerSource {
  public:
    explicit VirtualTime(const QDateTime& start);
    ~VirtualTime() override;

    QDateTime now() const override;
    qint64 msecsSinceEpoch() const override { return startMs_ + nowMs_; }
    qint64 elapsedMs() const { return nowMs_; }
    std::unique_ptr<Timer> createTimer() override;

    // Moves the clock forward by `ms`, firing timers on the way.
    void advance(qint64 ms);
    void advanceTo(qint64 elapsedMs);

  private:
    class VTimer;
    friend class VTimer;
    QDateTime start_;
    qint64 startMs_ = 0;
    qint64 nowMs_ = 0;
    quint64 nextSeq_ = 0;
    std::vector<VTimer*> timers_;
};

}  // namespace nivora
