#include "core/clock.h"

#include <QTimer>
#include <algorithm>
#include <limits>

namespace nivora {

SystemClock& SystemClock::instance() {
    static SystemClock clock;
    return clock;
}

namespace {

class QtTimer final : public Timer {
  public:
    QtTimer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { fire(); });
    }
    void setInterval(int ms) override { timer_.setInterval(ms); }
    int interval() const override { return timer_.interval(); }
    void start() override { timer_.start(); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<Timer> QtTimerSource::createTimer() {
    return std::make_unique<QtTimer>();
}

QtTimerSource& QtTimerSource::instance() {
    static QtTimerSource source;
    return source;
}

class VirtualTime::VTimer final : public Timer {
  public:
    explicit VTimer(VirtualTime* owner) : owner_(owner) { owner_->timers_.push_back(this); }
    ~VTimer() override {
        if (owner_) std::erase(owner_->timers_, this);
    }
    void setInterval(int ms) override {
        interval_ = ms;
        if (active_) schedule();
    }
    int interval() const override { return interval_; }
    void start() override {
        active_ = true;
        schedule();
    }
    void stop() override { active_ = false; }
    bool isActive() const override { return active_; }

    void schedule() {
        if (!owner_) return;
        due_ = owner_->nowMs_ + std::max(1, interval_);
        seq_ = owner_->nextSeq_++;
    }
    void runDue() {
        schedule();  // next period first, so the callback may restart or stop it
        fire();
    }

    VirtualTime* owner_;
    int interval_ = 0;
    bool active_ = false;
    qint64 due_ = 0;
    quint64 seq_ = 0;
};

VirtualTime::VirtualTime(const QDateTime& start)
    : start_(start), startMs_(start.toMSecsSinceEpoch()) {}

VirtualTime::~VirtualTime() {
    for (VTimer* t : timers_)
        t->owner_ = nullptr;
}

QDateTime VirtualTime::now() const {
    return start_.addMSecs(nowMs_);
}

std::unique_ptr<Timer> VirtualTime::createTimer() {
    return std::make_unique<VTimer>(this);
}

void VirtualTime::advance(qint64 ms) {
    advanceTo(nowMs_ + std::max<qint64>(0, ms));
}

void VirtualTime::advanceTo(qint64 target) {
    while (true) {
        VTimer* next = nullptr;
        for (VTimer* t : timers_) {
            if (!t->active_ || t->due_ > target) continue;
            if (!next || t->due_ < next->due_ || (t->due_ == next->due_ && t->seq_ < next->seq_))
                next = t;
        }
        if (!next) break;
        nowMs_ = std::max(nowMs_, next->due_);
        next->runDue();
    }
    nowMs_ = std::max(nowMs_, target);
}

}  // namespace nivora
