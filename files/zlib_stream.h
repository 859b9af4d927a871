#pragma once

// zlib streams (RFC 1950) for the layout file body, through zlib itself.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

struct z_stream_s;

namespace nivora::files {

// Compresses at zlib's default level, fed in pieces; every piece of output
// goes to the sink, which returns false to stop (a write failed).
class Deflater {
  public:
    using Sink = std::function<bool(std::string_view)>;

    explicit Deflater(Sink sink);
    ~Deflater();
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    bool add(std::string_view data);
    // Ends the stream; nothing may be added afterwards.
    bool finish();

  private:
    bool run(std::string_view data, int flush);

    Sink sink_;
    z_stream_s* z_ = nullptr;
    bool ok_ = false;
    std::string out_;
};

// The same on a second thread, so that making the text and compressing it
// overlap: add() queues a copy of the piece (waiting while a few are queued)
// and returns at once; finish() waits for the end of the stream. The sink
// is called on the worker thread only.
class BackgroundDeflater {
  public:
    explicit BackgroundDeflater(Deflater::Sink sink);
    ~BackgroundDeflater();
    BackgroundDeflater(const BackgroundDeflater&) = delete;
    BackgroundDeflater& operator=(const BackgroundDeflater&) = delete;

    bool add(std::string_view data);
    bool finish();

  private:
    void work();

    Deflater deflater_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<std::string> queue_;
    bool closed_ = false;
    bool failed_ = false;
    bool done_ = false;
    std::thread worker_;
};

// Inflates one whole zlib stream (bytes after its end are ignored). False
// with a reason when the data is corrupt, ends early, or would inflate to
// more than `limit` bytes.
bool inflateAll(std::string_view compressed, std::string& out, std::size_t limit,
                std::string& error);

}  // namespace nivora::files
