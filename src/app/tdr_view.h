// What the time-domain view shows of the last complete pass: the impedance,
// the step (the reflection coefficient seen up to each time) or the impulse
// against distance or time, with the resolution and the alias-free range;
// the markers' readings; or, where the pass gives no time domain, why and
// how to sweep for one. Plain values and a description on display::Surface,
// so that what the view shows is tested without a window.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "analysis/tdr.h"
#include "cal/measured_sweep.h"
#include "display/plot_scene.h"
#include "display/surface.h"

namespace orbilan::app {

enum class TdrQuantity { Impedance, Step, Impulse };
enum class TdrAxis { Distance, Time };
enum class LengthUnit { Metres, Feet };

struct TdrSettings {
    analysis::TdrOptions transform;   // low-pass or band-pass, the window
    TdrQuantity quantity = TdrQuantity::Impedance;
    double velocityFactor = 1;        // above 0, at most 1
    double maxDistance = 0;           // metres, one way; 0: the whole alias-free range
    TdrAxis axis = TdrAxis::Distance;
    LengthUnit units = LengthUnit::Metres;
};

// Markers A and B at round-trip times; each reads the sample nearest it.
struct TdrMarkers {
    bool shown = false;
    double a = 0, b = 0;
};

// One sample of the result as a marker reads it.
struct TdrReading {
    std::size_t sample = 0;
    double time = 0;        // s, round trip
    double distance = 0;    // m, one way
    double impulse = 0;     // low-pass: real; band-pass: magnitude
    bool hasStep = false;   // low-pass only
    double rho = 0;         // the step
    double impedance = 0;   // ohm
};

struct TdrPicture {
    bool shown = false;       // there is a result to draw
    std::string message;      // why there is none, and how to sweep for one
    std::string warning;      // the asked range lies beyond the alias-free range
    std::string summary;      // the transform, the resolution and the range
    std::string pass;         // the pass it was made of
    TdrSettings settings;
    TdrQuantity quantity = TdrQuantity::Impedance; // what is drawn (band-pass: the impulse)
    char decimalSeparator = '.';
    analysis::TdrResult result;
    std::size_t rows = 0;     // samples shown, from time 0
    double resolution = 0;    // m, one way
    double range = 0;         // m, one way: the alias-free range
    // The plot's scale: x in the axis unit (m, ft, ns or µs) from 0 to
    // `right` over 10 divisions, y from `bottom` to `top` over 8.
    double right = 1;
    double top = 1, bottom = 0;
    double timeUnit = 1e-9;   // seconds per x unit on a time axis
    std::string xUnitText, yUnitText;
};

// The picture of a pass (none before the first) with the settings.
TdrPicture TdrPictureOf(const cal::MeasuredSweep* sweep, const TdrSettings& settings, char decimalSeparator = '.');

// A round-trip time on the picture's x axis, and back.
double AxisValueOfTime(const TdrPicture& picture, double seconds);
double TimeOfAxisValue(const TdrPicture& picture, double x);

// The sample of the shown rows nearest a time; none when nothing is shown.
std::optional<TdrReading> ReadingAt(const TdrPicture& picture, double seconds);
// "12.34 m   124.6 ns   rho 0.333   Z 100 ohm" (band-pass: the impulse
// magnitude instead of rho and Z).
std::string ReadingText(const TdrPicture& picture, const TdrReading& reading);
// The readout box: A, B and their difference in distance and time.
std::vector<display::ReadoutLine> MarkerReadout(const TdrPicture& picture, const TdrMarkers& markers);

// The time of the largest reflection beyond the reference plane: the
// largest impulse after the main lobe at time 0 has fallen away.
std::optional<double> LargestReflectionTime(const TdrPicture& picture);

// A length in the unit: "12.34 m", "40.5 ft".
std::string LengthText(double metres, LengthUnit unit, char decimalSeparator = '.');

// The smallest step of 1, 1.5, 2, 2.5, 3, 4, 5, 6 or 8 times a power of ten
// that covers `span` in `divisions`.
double NiceStep(double span, int divisions);

struct TdrDrawOptions {
    bool captions = true;
    ui::Rgb captionColour = 0xC0C0C0;
    ui::Rgb gridColour = 0x404040;
};
// The graticule with the axes' captions, a reference line (Z0 or zero), the
// alias-free range where the axis reaches beyond it, the trace and the
// markers, in the picture's scale.
void DrawTdrPicture(display::Surface& surface, const TdrPicture& picture, const TdrMarkers& markers,
                    const TdrDrawOptions& options = {});

} // namespace orbilan::app
