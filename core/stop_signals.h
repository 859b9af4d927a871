#pragma once

// SIGTERM and SIGINT (a shutdown of the boat's computer, Ctrl+C) ask the
// program to close. The handler only raises a flag; `stop` runs from a timer
// on the watch's thread, so the close sequence runs where it always does.

#include <QObject>
#include <QTimer>
#include <functional>

namespace nivora {

class StopSignalWatch : public QObject {
  public:
    explicit StopSignalWatch(std::function<void(int signal)> stop, QObject* parent = nullptr);
    ~StopSignalWatch() override;

  private:
    std::function<void(int)> stop_;
    QTimer timer_;
};

}  // namespace nivora
