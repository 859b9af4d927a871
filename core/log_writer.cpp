#include "core/log_writer.h"

#include <QFile>
#include <algorithm>

namespace nivora {
namespace {

// Bytes handed to one write call: a long backlog goes out in pieces, so a
// disk that refuses costs one small attempt, not a copy of the whole queue.
constexpr qsizetype kWriteChunkBytes = 64 * 1024;

class QtLogFile final : public LogFile {
  public:
    explicit QtLogFile(const QString& path) : file_(path) {}
    bool open() {
        return file_.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered);
    }

    qint64 size() const override { return file_.size(); }
    std::optional<char> lastByte() override {
        QFile reader(file_.fileName());
        const qint64 n = file_.size();
        char c = 0;
        if (n <= 0 || !reader.open(QIODevice::ReadOnly) || !reader.seek(n - 1) ||
            !reader.getChar(&c))
            return std::nullopt;
        return c;
    }
    qint64 write(const char* data, qint64 size) override { return file_.write(data, size); }
    bool truncate(qint64 size) override { return file_.resize(size); }
    QString errorString() const override { return file_.errorString(); }

  private:
    QFile file_;
};

}  // namespace

std::unique_ptr<LogFile> LogFileSystem::openAppend(const QString& path, QString* error) {
    auto f = std::make_unique<QtLogFile>(path);
    if (!f->open()) {
        if (error) *error = f->errorString();
        return nullptr;
    }
    return f;
}

// ---- LogWriter ----

LogWriter::LogWriter(std::shared_ptr<LogFileSystem> files)
    : files_(files ? std::move(files) : std::make_shared<LogFileSystem>()),
      thread_([this] { run(); }) {}

LogWriter::~LogWriter() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void LogWriter::post(Job job) {
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back(std::move(job));
        ++posted_;
    }
    wake_.notify_one();
}

void LogWriter::flush() {
    if (onWriterThread()) return;
    std::unique_lock lock(mutex_);
    const quint64 target = posted_;
    done_.wait(lock, [&] { return finished_ >= target; });
}

void LogWriter::run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            job(*files_);
        } catch (...) {
            // A job that fails (memory) must not end the writer: the others
            // still have their records to write.
        }
        job = nullptr;  // what it held goes before the flush that waits for it returns
        {
            std::lock_guard lock(mutex_);
            ++finished_;
        }
        done_.notify_all();
    }
}

// ---- LogQueue ----

LogQueue::LogQueue(LogWriter& writer, qsizetype capacity, Drain drain)
    : writer_(writer), state_(std::make_shared<State>()) {
    state_->drain = std::move(drain);
    state_->capacity = std::max<qsizetype>(1, capacity);
}

void LogQueue::postDrain() {
    writer_.post([s = state_](LogFileSystem& files) { drainOnWriter(s, files); });
}

bool LogQueue::push(LogRecord record) {
    State& s = *state_;
    std::unique_lock lock(s.mutex);
    const auto full = [&s] { return static_cast<qsizetype>(s.records.size()) >= s.capacity; };
    if (full()) {
        // A drain must come, to retry the log and to make room.
        if (!s.drainPosted) {
            s.drainPosted = true;
            postDrain();
        }
        if (writer_.whenFull() == LogWriter::WhenFull::WaitForWriter && !s.refusing) {
            s.space.wait(lock, [&] { return !full() || s.refusing; });
        }
        if (full()) {
            ++s.lost;
            return false;
        }
    }
    s.records.push_back(std::move(record));
    if (!s.drainPosted) {
        s.drainPosted = true;
        postDrain();
    }
    return true;
}

void LogQueue::retry() {
    State& s = *state_;
    std::lock_guard lock(s.mutex);
    if (s.records.empty() || s.drainPosted) return;
    s.drainPosted = true;
    postDrain();
}

qsizetype LogQueue::waiting() const {
    std::lock_guard lock(state_->mutex);
    return static_cast<qsizetype>(state_->records.size());
}

void LogQueue::drainOnWriter(const std::shared_ptr<State>& state, LogFileSystem& files) {
    State& s = *state;
    std::vector<LogRecord> batch;
    {
        std::lock_guard lock(s.mutex);
        // Records queued from now on need a drain of their own.
        s.drainPosted = false;
        batch.assign(s.records.begin(), s.records.end());
    }
    if (batch.empty()) return;
    const qsizetype done =
        std::clamp<qsizetype>(s.drain(files, batch), 0, static_cast<qsizetype>(batch.size()));
    {
        std::lock_guard lock(s.mutex);
        s.records.erase(s.records.begin(), s.records.begin() + done);
        s.refusing = done < static_cast<qsizetype>(batch.size());
    }
    s.space.notify_all();
}

// ---- RecordFile ----

bool RecordFile::open(LogFileSystem& files, const QString& path, const QByteArray& header,
                      QString* error) {
    close();
    file_ = files.openAppend(path, error);
    if (!file_) return false;
    path_ = path;
    header_ = header;
    size_ = file_->size();
    headerDue_ = size_ == 0 && !header_.isEmpty();
    // A kill or a full disk may have left half a record at the end.
    lineEndDue_ = size_ > 0 && file_->lastByte() != std::optional<char>('\n');
    return true;
}

void RecordFile::close() {
    file_.reset();
}

qsizetype RecordFile::write(const std::vector<LogRecord>& records, QString* error) {
    if (!file_) {
        if (error) *error = QStringLiteral("the file is not open");
        return 0;
    }
    enum : qsizetype { kLineEnd = -1, kHeader = -2 };
    qsizetype done = 0;
    const auto count = static_cast<qsizetype>(records.size());
    while (done < count) {
        QByteArray bytes;
        std::vector<std::pair<qsizetype, qsizetype>> units;  // (end offset, record or lead kind)
        if (lineEndDue_) {
            bytes += '\n';
            units.emplace_back(bytes.size(), kLineEnd);
        }
        if (headerDue_) {
            bytes += header_;
            units.emplace_back(bytes.size(), kHeader);
        }
        for (qsizetype i = done; i < count; ++i) {
            const QByteArray& r = records[static_cast<std::size_t>(i)].bytes;
            if (i > done && bytes.size() + r.size() > kWriteChunkBytes) break;
            bytes += r;
            units.emplace_back(bytes.size(), i);
        }
        const qint64 n = file_->write(bytes.constData(), bytes.size());
        const qint64 got = std::max<qint64>(n, 0);
        qint64 whole = 0;
        for (const auto& [end, what] : units) {
            if (end > got) break;
            whole = end;
            if (what == kLineEnd) {
                lineEndDue_ = false;
            } else if (what == kHeader) {
                headerDue_ = false;
            } else {
                done = what + 1;
            }
        }
        if (got == bytes.size()) {
            size_ += got;
            continue;
        }
        // The disk took part of a record: cut it off. Should that fail too,
        // the next open finds no line end and starts on a new line.
        if (got > whole) file_->truncate(size_ + whole);
        if (error) {
            const QString why = file_->errorString();
            *error = why.isEmpty() || n >= 0
                         ? QStringLiteral("the disk took %1 of %2 bytes").arg(got).arg(bytes.size())
                         : why;
        }
        close();
        return done;
    }
    return done;
}

// ---- ReportRelay ----

void ReportRelay::post(const QString& text) {
    {
        std::lock_guard lock(mutex_);
        pending_ << text;
        if (scheduled_) return;
        scheduled_ = true;
    }
    QMetaObject::invokeMethod(
        context_, [this] { deliver(); }, Qt::QueuedConnection);
}

int ReportRelay::deliver() {
    QStringList texts;
    {
        std::lock_guard lock(mutex_);
        texts.swap(pending_);
        scheduled_ = false;
    }
    for (const QString& t : texts) {
        if (sink_) sink_(t);
    }
    return static_cast<int>(texts.size());
}

}  // namespace nivora
