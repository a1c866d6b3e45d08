// The sweep-time estimate shown in the sweep settings. Single precision
// throughout, as the figures users compare against were always computed.
#pragma once

namespace orbilan::sweep {

// Conversion time of one reading in ms: for the 2440 the mode sets the rate;
// any other type or mode keeps `currentMs`.
float AdcConversionMs(int adcType, int adcMode, float currentMs);

// Seconds per point: two phases of settling, conversion and transfer for
// each averaged reading.
float PointTimeS(int adcWaitMs, float adcConvMs, float readOverheadMs, int adcAverages);

// Seconds per sweep; CDS measures four phases instead of two.
float SweepTimeS(int points, float pointTimeS, bool cds);

} // namespace orbilan::sweep
