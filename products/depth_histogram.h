#pragma once

// How the survey's depths are spread, for a colour range that a few wild
// soundings (a fish school, a second echo, a spike of 500 m) cannot stretch:
// the range spans the middle 99% of the depths. Bins of 0.1 m to 100 m,
// 1 m to 1000 m and 10 m to 12000 m keep it small and fine where it matters.

#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>

namespace nivora {

class DepthHistogram {
  public:
    static constexpr int kBins = 4002;

    void add(double v) {
        if (!std::isfinite(v)) return;
        ++bins_[static_cast<std::size_t>(binOf(v))];
        ++count_;
    }
    void clear() {
        bins_.fill(0);
        count_ = 0;
    }
    std::uint64_t count() const { return count_; }

    // The range from the `share` quantile to the 1 - `share` quantile, bin
    // edges outwards; nothing without depths.
    std::optional<std::pair<double, double>> range(double share) const {
        if (count_ == 0) return std::nullopt;
        const double cut = share * static_cast<double>(count_);
        std::uint64_t seen = 0;
        int lo = 0;
        for (; lo < kBins; ++lo) {
            seen += bins_[static_cast<std::size_t>(lo)];
            if (static_cast<double>(seen) > cut) break;
        }
        seen = 0;
        int hi = kBins - 1;
        for (; hi > 0; --hi) {
            seen += bins_[static_cast<std::size_t>(hi)];
            if (static_cast<double>(seen) > cut) break;
        }
        return std::make_pair(lowEdge(lo), lowEdge(hi + 1));
    }

    static int binOf(double v) {
        if (v < -100) return 0;
        if (v < 100) return 1 + static_cast<int>((v + 100) * 10);
        if (v < 1000) return 2001 + static_cast<int>(v - 100);
        if (v < 12000) return 2901 + static_cast<int>((v - 1000) / 10);
        return kBins - 1;
    }
    static double lowEdge(int bin) {
        if (bin <= 0) return -100;
        if (bin <= 2001) return -100 + (bin - 1) / 10.0;
        if (bin <= 2901) return 100 + (bin - 2001);
        return std::min(12000.0, 1000 + (bin - 2901) * 10.0);
    }

  private:
    std::array<std::uint32_t, kBins> bins_{};
    std::uint64_t count_ = 0;
};

}  // namespace nivora
