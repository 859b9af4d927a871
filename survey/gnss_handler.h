#pragma once

// What the main window does with each GNSS line before the reader decodes
// it: heading (HDT), speed in knots (RMC, VTG), the offsets snapshot, the
// UTC time and RTK antenna height (GGA) and the fix indicator. The window
// only feeds the monitor and shows what the result says.

#include <QString>
#include <string_view>

#include "config/offsets_model.h"
#include "core/colors.h"
#include "core/number_text.h"
#include "core/scan.h"
#include "sensors/nmea.h"
#include "survey/realtime_state.h"

namespace nivora {

struct GnssLineInputs {
    bool offsetsWindowVisible = false;
    const OffsetFieldTexts* offsets = nullptr;  // null: the snapshot stays
    int readerFixQuality = 0;                   // before this line is decoded
};

struct GnssLineResult {
    bool headingChanged = false;
    bool speedChanged = false;
    bool timeChanged = false;
    bool antennaHeightChanged = false;
    bool fixIndicatorChanged = false;
    TColor fixIndicatorColor = 0;
    // A field that is not a number ended the handling of this line.
    QString error;
};

class GnssLineHandler {
  public:
    explicit GnssLineHandler(RealtimeState& state);
    // The line as the reader cut it. Fields that are plain numbers and
    // letters are taken from the cut; anything else goes through the scan
    // patterns, whose reading of odd lines is the one that holds.
    GnssLineResult handle(const NmeaSentence& sentence, const GnssLineInputs& in);
    GnssLineResult handle(std::string_view line, const GnssLineInputs& in) {
        return handle(splitNmea(line), in);
    }

    // The offsets snapshot from the field texts; false with the conversion
    // error of the first field that is not a number.
    bool takeOffsets(const OffsetFieldTexts& texts, QString& error);
    // Whether a snapshot was ever taken completely.
    bool offsetsTaken() const { return offsetsTaken_; }

  private:
    int scanGga(const NmeaSentence& s, double& t, int& quality, double& altitude,
                double& separation);
    bool scanSpeed(const NmeaSentence& s, std::size_t field, ScanPattern& pattern, double& v);

    RealtimeState& state_;
    NumberField offsetFields_[4];
    bool offsetsTaken_ = false;
    ScanPattern hdt_{"%*7s %lf"};
    ScanPattern rmc_{"%*6s,%*lf,%*1s,%*lf,%*1s,%*lf,%*1s,%lf"};
    ScanPattern vtg_{"%*6s,%*lf,%*1s,%*lf,%*1s,%lf"};
    ScanPattern gga_{"%*6s,%lf,%*lf,%*1s,%*lf,%*1s,%d,%*d,%*lf,%lf,%*1s,%lf"};
};

// "hh:mm:ss" of an NMEA time hhmmss.ss (fractions dropped).
QString ggaTimeText(double t);

}  // namespace nivora
