#pragma once

// The sound velocity profile drawn beside the memos: depth downwards,
// velocity across, the extracted samples as dots, the per-metre averages as
// a line and the column means as a dashed line, so that a bad cast (a spike,
// a gap, a wrong depth order) shows at a glance.

#include <QWidget>
#include <vector>

namespace nivora {

class SvpModel;

struct SvpProfilePoint {
    double depthM = 0;
    double velocity = 0;  // m/s
};

struct SvpProfile {
    std::vector<SvpProfilePoint> samples;   // "Raw SV values": depth,velocity
    std::vector<SvpProfilePoint> averaged;  // "Averaged SV Values" with samples behind them
    std::vector<SvpProfilePoint> column;    // "SV Column": line i is 0 .. i m
    bool empty() const { return samples.empty() && averaged.empty() && column.empty(); }
};

// The memos as points. Lines that do not read as numbers are left out (the
// memos may be edited by hand), and so are the averaged lines below the
// deepest sample, which only repeat its value.
SvpProfile svpProfileOf(const SvpModel& model);

class SvpProfileView : public QWidget {
    Q_OBJECT

  public:
    explicit SvpProfileView(QWidget* parent = nullptr);

    void setProfile(SvpProfile profile);
    const SvpProfile& profile() const { return profile_; }

    QSize sizeHint() const override { return {240, 320}; }
    QSize minimumSizeHint() const override { return {140, 160}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    SvpProfile profile_;
};

}  // namespace nivora
