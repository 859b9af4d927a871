#pragma once

// The sequence of GNSS fix qualities the simulator plays, repeating:
// "4:240,5:60,2:60" is RTK fixed for 240 s, then float for 60 s, then DGPS
// for 60 s. Quality 0 is an outage: the receiver reports no position.

#include <QString>
#include <optional>
#include <vector>

namespace nivora::sim {

class FixScript {
  public:
    struct Step {
        int quality;
        double seconds;
    };

    // RTK fixed, float, DGPS, fixed, autonomous, a short outage, fixed: ten minutes.
    static constexpr const char* kDefault = "4:240,5:60,2:60,4:120,1:60,0:15,4:45";

    static std::optional<FixScript> parse(const QString& text);
    int qualityAt(double seconds) const;
    const std::vector<Step>& steps() const { return steps_; }

  private:
    std::vector<Step> steps_;
    double cycle_ = 0;
};

}  // namespace nivora::sim
