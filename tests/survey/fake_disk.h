#pragma once

// A disk for the log writer that fills up and stalls when a test says so:
// real files underneath, with a byte budget and a gate in front of writes.

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "core/log_writer.h"

namespace nivora::test {

class FakeDisk : public LogFileSystem {
  public:
    // Bytes the disk still takes; -1 without limit.
    void setRoom(qint64 bytes) {
        std::lock_guard lock(mutex_);
        room_ = bytes;
    }
    // While stalled, a write waits until release() (or, should the caller
    // wait for the disk, until the safety expires and stallExpired() says so).
    void stall() {
        std::lock_guard lock(mutex_);
        stalled_ = true;
    }
    void release() {
        {
            std::lock_guard lock(mutex_);
            stalled_ = false;
        }
        changed_.notify_all();
    }
    // Returns once a write is waiting at the gate.
    bool waitForStalledWrite() {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::seconds(60), [this] { return waiting_; });
    }
    bool stallExpired() const {
        std::lock_guard lock(mutex_);
        return expired_;
    }

    std::unique_ptr<LogFile> openAppend(const QString& path, QString* error) override {
        auto real = LogFileSystem::openAppend(path, error);
        if (!real) return nullptr;
        return std::make_unique<File>(*this, std::move(real));
    }

  private:
    class File final : public LogFile {
      public:
        File(FakeDisk& disk, std::unique_ptr<LogFile> real) : disk_(disk), real_(std::move(real)) {}
        qint64 size() const override { return real_->size(); }
        std::optional<char> lastByte() override { return real_->lastByte(); }
        bool truncate(qint64 size) override { return real_->truncate(size); }
        QString errorString() const override {
            return full_ ? QStringLiteral("No space left on device") : real_->errorString();
        }
        qint64 write(const char* data, qint64 size) override {
            std::unique_lock lock(disk_.mutex_);
            if (disk_.stalled_) {
                disk_.waiting_ = true;
                disk_.changed_.notify_all();
                if (!disk_.changed_.wait_for(lock, std::chrono::seconds(30),
                                             [this] { return !disk_.stalled_; }))
                    disk_.expired_ = true;
                disk_.waiting_ = false;
            }
            qint64 n = size;
            if (disk_.room_ >= 0) n = std::min(n, disk_.room_);
            full_ = n < size;
            if (n == 0) return -1;
            const qint64 written = real_->write(data, n);
            if (disk_.room_ >= 0 && written > 0) disk_.room_ -= written;
            return written;
        }

      private:
        FakeDisk& disk_;
        std::unique_ptr<LogFile> real_;
        bool full_ = false;
    };

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    qint64 room_ = -1;
    bool stalled_ = false;
    bool waiting_ = false;
    bool expired_ = false;
};

}  // namespace nivora::test
