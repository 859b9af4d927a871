#include "core/stop_signals.h"

#include <atomic>
#include <csignal>

namespace nivora {
namespace {

std::atomic<int> gStopSignal{0};

extern "C" void onStopSignal(int sig) {
    gStopSignal.store(sig);
}

}  // namespace

StopSignalWatch::StopSignalWatch(std::function<void(int)> stop, QObject* parent)
    : QObject(parent), stop_(std::move(stop)) {
    gStopSignal.store(0);
    std::signal(SIGTERM, onStopSignal);
    std::signal(SIGINT, onStopSignal);
    timer_.setInterval(200);
    connect(&timer_, &QTimer::timeout, this, [this] {
        if (const int sig = gStopSignal.exchange(0)) stop_(sig);
    });
    timer_.start();
}

StopSignalWatch::~StopSignalWatch() {
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
}

}  // namespace nivora
