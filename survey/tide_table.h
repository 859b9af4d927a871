#pragma once

// A tide file: heights at times, one per line ("2026-06-01 09:00 0.42",
// "2026-06-01T09:10:00Z,0.45"; blank lines and lines from "#" passed over).
// Times are the program's local time, as the logs have them, or UTC with a
// "Z". The tide at a moment is interpolated linearly between the two
// heights around it; across a gap longer than the one allowed, or outside
// the file, there is none.

#include <QString>
#include <optional>
#include <vector>

namespace nivora {

class TideTable {
  public:
    // Nothing, with why in `error`, for a file that cannot be read or holds
    // no height; lines that are not a time and a height are counted and the
    // first of them named in `warning`.
    static std::optional<TideTable> load(const QString& path, QString* error,
                                         QString* warning = nullptr);
    static std::optional<TideTable> fromText(const QByteArray& text, const QString& name,
                                             QString* error, QString* warning = nullptr);

    std::optional<double> tideAt(qint64 msecsSinceEpoch, qint64 maxGapMs) const;
    std::size_t size() const { return samples_.size(); }

  private:
    struct Sample {
        qint64 ms;
        double height;
    };
    std::vector<Sample> samples_;
};

}  // namespace nivora
