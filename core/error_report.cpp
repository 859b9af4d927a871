#include "core/error_report.h"

#include "core/clock.h"

namespace nivora {

ErrorReporter::ErrorReporter(const Clock& clock, Sink sink)
    : clock_(clock), sink_(std::move(sink)) {}

bool ErrorReporter::report(const QString& text) {
    const qint64 now = clock_.now().toMSecsSinceEpoch();
    const auto it = lastShown_.constFind(text);
    if (it != lastShown_.cend() && now - it.value() < kRepeatIntervalMs && now >= it.value())
        return false;
    // Keep the memory small: old entries no longer suppress anything.
    if (lastShown_.size() > 256) {
        for (auto i = lastShown_.begin(); i != lastShown_.end();) {
            i = (now - i.value() >= kRepeatIntervalMs) ? lastShown_.erase(i) : std::next(i);
        }
    }
    lastShown_.insert(text, now);
    if (sink_) sink_(text);
    return true;
}

}  // namespace nivora
