// Any text as a limit file: what the reader accepts holds segments on known
// quantities with finite values over a rising frequency range, writes out
// and reads back the same, and checks a sweep of each mode without a
// failure outside the sweep's points.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "analysis/limits.h"
#include "fuzz_check.h"

namespace {

using namespace orbilan;

bool same(const analysis::LimitSegment& a, const analysis::LimitSegment& b)
{
    return a.upper == b.upper && a.quantity == b.quantity && a.fromHz == b.fromHz && a.toHz == b.toHz &&
           a.fromValue == b.fromValue && a.toValue == b.toValue;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<analysis::LimitSegment> segments;
    std::string error;
    if (!analysis::ParseLimits(text, segments, error)) {
        check(error.rfind("line ", 0) == 0);
        check(segments.empty());
        return 0;
    }
    for (const auto& s : segments) {
        check(s.quantity != nullptr);
        check(std::isfinite(s.fromHz) && std::isfinite(s.toHz) && s.fromHz >= 0 && s.toHz > s.fromHz);
        check(std::isfinite(s.fromValue) && std::isfinite(s.toValue));
        check(std::isfinite(s.at(s.fromHz + (s.toHz - s.fromHz) / 2)));
    }
    std::vector<analysis::LimitSegment> again;
    check(analysis::ParseLimits(analysis::LimitsText(segments), again, error));
    check(again.size() == segments.size());
    for (std::size_t k = 0; k < segments.size(); ++k)
        check(same(again[k], segments[k]));

    for (int mode = 0; mode < 3; ++mode) {
        cal::MeasuredSweep sweep;
        sweep.mode = mode;
        sweep.hz = {50000, 1000000, 30000000, 60000000};
        sweep.points = {{50, 0}, {0, 0}, {-3, 90}, {1e9, -180}};
        const auto c = analysis::CheckLimits(segments, sweep);
        check(c.pointsChecked <= sweep.hz.size());
        for (const auto& f : c.failures) {
            check(f.index < sweep.hz.size());
            check(!analysis::FailureText(f).empty());
        }
    }
    return 0;
}
