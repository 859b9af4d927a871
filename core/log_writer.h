#pragma once

// The logs' file work off the user-interface thread. One writer thread runs
// jobs in the order they were posted; the records of each log wait for it in
// a bounded queue of their own, so a slow disk, a full disk or a vanished
// network folder never holds the window or the serial polling. The UI
// thread only formats a record and queues it.
//
// Reports from the writer thread reach their owner's thread through a
// ReportRelay (a queued call), never by calling the owner from the writer.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace nivora {

// One file opened for appending, as the writer uses it.
class LogFile {
  public:
    virtual ~LogFile() = default;
    virtual qint64 size() const = 0;
    // Nothing when the file is empty or its end cannot be read.
    virtual std::optional<char> lastByte() = 0;
    // Bytes written, fewer when the disk fills; -1 when none could be.
    virtual qint64 write(const char* data, qint64 size) = 0;
    virtual bool truncate(qint64 size) = 0;
    virtual QString errorString() const = 0;
};

// Where the writer's files come from; tests hand in disks that fill or stall.
class LogFileSystem {
  public:
    virtual ~LogFileSystem() = default;
    // Null, with the reason, when the file cannot be opened for appending.
    virtual std::unique_ptr<LogFile> openAppend(const QString& path, QString* error);
};

class LogWriter {
  public:
    using Job = std::function<void(LogFileSystem&)>;
    // What a full record queue does. Drop: the record is lost and counted
    // (the UI thread never waits). WaitForWriter: the producer waits while
    // the writer is still taking records (runs in virtual time, which go far
    // faster than any sensor and must log every row); it drops when the log
    // refuses them.
    enum class WhenFull { Drop, WaitForWriter };

    explicit LogWriter(std::shared_ptr<LogFileSystem> files = nullptr);
    // Runs what was posted, then stops the thread.
    ~LogWriter();
    LogWriter(const LogWriter&) = delete;
    LogWriter& operator=(const LogWriter&) = delete;

    void setWhenFull(WhenFull policy) { whenFull_ = policy; }
    WhenFull whenFull() const { return whenFull_; }

    // Runs `job` on the writer thread after every job posted before.
    void post(Job job);
    // Returns when every job posted before has run. On the writer thread
    // itself it returns at once.
    void flush();
    bool onWriterThread() const { return std::this_thread::get_id() == thread_.get_id(); }

  private:
    void run();

    std::shared_ptr<LogFileSystem> files_;
    std::atomic<WhenFull> whenFull_{WhenFull::Drop};
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable done_;
    std::deque<Job> jobs_;
    quint64 posted_ = 0;
    quint64 finished_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};

// A record for a log: its bytes and, for a queue that serves several files
// (the events log changes its name at midnight), the file.
struct LogRecord {
    QByteArray bytes;
    QString path;
};

// Records waiting for the writer, in order and bounded. The drain runs on
// the writer thread with the records from the front and says how many it is
// done with; the rest wait for the next drain (the next record, or retry()).
class LogQueue {
  public:
    using Drain = std::function<qsizetype(LogFileSystem&, const std::vector<LogRecord>&)>;

    LogQueue(LogWriter& writer, qsizetype capacity, Drain drain);

    // Any thread but the writer's. False when the record was lost to a full queue.
    bool push(LogRecord record);
    // Posts a drain when records wait (a log that refused may take them now).
    void retry();
    qsizetype waiting() const;
    quint64 lost() const { return state_->lost; }
    qsizetype capacity() const { return state_->capacity; }

  private:
    struct State {
        Drain drain;
        qsizetype capacity = 0;
        std::mutex mutex;
        std::condition_variable space;
        std::deque<LogRecord> records;
        bool drainPosted = false;
        bool refusing = false;  // the last drain left records behind
        std::atomic<quint64> lost{0};
    };
    static void drainOnWriter(const std::shared_ptr<State>& state, LogFileSystem& files);
    void postDrain();

    LogWriter& writer_;
    // Shared with the posted drains, which may outlive this handle.
    std::shared_ptr<State> state_;
};

// Appends records whole on the writer thread: a file that does not end in a
// line end gets one before the first record (looked at when the file is
// opened), and a short write is cut back to the last whole record, so a row
// is never glued to a broken one.
class RecordFile {
  public:
    bool isOpen() const { return file_ != nullptr; }
    const QString& path() const { return path_; }
    // `header` goes first into an empty file.
    bool open(LogFileSystem& files, const QString& path, const QByteArray& header, QString* error);
    void close();
    // How many records from the front are in the file. Fewer: the file
    // refused (the reason in `error`) and is closed, so that the next open
    // looks at its end again.
    qsizetype write(const std::vector<LogRecord>& records, QString* error);

  private:
    std::unique_ptr<LogFile> file_;
    QString path_;
    QByteArray header_;
    bool lineEndDue_ = false;
    bool headerDue_ = false;
    qint64 size_ = 0;
};

// Error texts from the writer thread, passed to `sink` on the thread of
// `context` by a queued call, or at once by deliver() after a flush.
class ReportRelay {
  public:
    using Sink = std::function<void(const QString&)>;
    ReportRelay(QObject* context, Sink sink) : context_(context), sink_(std::move(sink)) {}

    // Any thread.
    void post(const QString& text);
    // The context's thread: passes on what waits; returns how many.
    int deliver();

  private:
    QObject* context_;
    Sink sink_;
    std::mutex mutex_;
    QStringList pending_;
    bool scheduled_ = false;
};

}  // namespace nivora
