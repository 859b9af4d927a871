#include "files/zlib_stream.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

namespace nivora::files {
namespace {

constexpr std::size_t kOutChunk = 256 * 1024;
// zlib counts in 32-bit units; larger pieces are fed in parts.
constexpr std::size_t kMaxFeed = 1u << 30;

}  // namespace

Deflater::Deflater(Sink sink) : sink_(std::move(sink)), z_(new z_stream{}) {
    ok_ = deflateInit(z_, Z_DEFAULT_COMPRESSION) == Z_OK;
    out_.resize(kOutChunk);
}

Deflater::~Deflater() {
    deflateEnd(z_);
    delete z_;
}

bool Deflater::run(std::string_view data, int flush) {
    if (!ok_) return false;
    do {
        const std::size_t feed = std::min(data.size(), kMaxFeed);
        z_->next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
        z_->avail_in = static_cast<uInt>(feed);
        data.remove_prefix(feed);
        const int mode = data.empty() ? flush : Z_NO_FLUSH;
        int rc = Z_OK;
        do {
            z_->next_out = reinterpret_cast<Bytef*>(out_.data());
            z_->avail_out = static_cast<uInt>(out_.size());
            rc = deflate(z_, mode);
            if (rc == Z_STREAM_ERROR) {
                ok_ = false;
                return false;
            }
            const std::size_t have = out_.size() - z_->avail_out;
            if (have > 0 && !sink_(std::string_view(out_.data(), have))) {
                ok_ = false;
                return false;
            }
        } while (z_->avail_out == 0 || (mode == Z_FINISH && rc != Z_STREAM_END));
    } while (!data.empty());
    return true;
}

bool Deflater::add(std::string_view data) {
    if (data.empty()) return ok_;
    return run(data, Z_NO_FLUSH);
}

bool Deflater::finish() {
    const bool done = run({}, Z_FINISH);
    ok_ = false;
    return done;
}

namespace {
constexpr std::size_t kQueuedPieces = 4;
}  // namespace

BackgroundDeflater::BackgroundDeflater(Deflater::Sink sink)
    : deflater_(std::move(sink)), worker_([this] { work(); }) {}

BackgroundDeflater::~BackgroundDeflater() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
        failed_ = failed_ || !done_;  // destroyed without finish(): drop the rest
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
}

void BackgroundDeflater::work() {
    for (;;) {
        std::string piece;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [this] { return !queue_.empty() || closed_ || failed_; });
            if (failed_) return;
            if (queue_.empty()) break;  // closed and drained
            piece = std::move(queue_.front());
            queue_.pop_front();
        }
        changed_.notify_all();
        if (!deflater_.add(piece)) {
            std::lock_guard<std::mutex> lock(mutex_);
            failed_ = true;
            changed_.notify_all();
            return;
        }
    }
    const bool ok = deflater_.finish();
    std::lock_guard<std::mutex> lock(mutex_);
    failed_ = failed_ || !ok;
    done_ = true;
    changed_.notify_all();
}

bool BackgroundDeflater::add(std::string_view data) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return queue_.size() < kQueuedPieces || failed_; });
    if (failed_ || closed_) return false;
    queue_.emplace_back(data);
    lock.unlock();
    changed_.notify_all();
    return true;
}

bool BackgroundDeflater::finish() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        closed_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) worker_.join();
    std::lock_guard<std::mutex> lock(mutex_);
    return done_ && !failed_;
}

bool inflateAll(std::string_view compressed, std::string& out, std::size_t limit,
                std::string& error) {
    z_stream z{};
    if (inflateInit(&z) != Z_OK) {
        error = "cannot start decompression";
        return false;
    }
    out.clear();
    std::size_t produced = 0;
    int rc = Z_OK;
    while (rc != Z_STREAM_END) {
        if (z.avail_in == 0 && !compressed.empty()) {
            const std::size_t feed = std::min(compressed.size(), kMaxFeed);
            z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
            z.avail_in = static_cast<uInt>(feed);
            compressed.remove_prefix(feed);
        }
        if (produced == out.size()) {
            if (produced >= limit) {
                error = "the drawing is too large";
                inflateEnd(&z);
                return false;
            }
            out.resize(std::min(limit, std::max<std::size_t>(kOutChunk, produced * 2)));
        }
        const std::size_t room = std::min(out.size() - produced, kMaxFeed);
        z.next_out = reinterpret_cast<Bytef*>(out.data() + produced);
        z.avail_out = static_cast<uInt>(room);
        const uInt inBefore = z.avail_in;
        rc = inflate(&z, Z_NO_FLUSH);
        produced += room - z.avail_out;
        if (rc == Z_BUF_ERROR || (rc == Z_OK && inBefore == z.avail_in && room == z.avail_out)) {
            if (z.avail_in == 0 && compressed.empty()) {
                error = "the compressed data ends early";
                break;
            }
            if (inBefore == z.avail_in && room == z.avail_out) {
                error = "corrupt compressed data";
                break;
            }
            continue;
        }
        if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
            error = z.msg ? std::string("corrupt compressed data: ") + z.msg
                          : "corrupt compressed data";
            break;
        }
    }
    inflateEnd(&z);
    out.resize(produced);
    return rc == Z_STREAM_END;
}

}  // namespace nivora::files
