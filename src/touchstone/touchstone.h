// Touchstone 1.x files: the one reader and the one writer of the program, the
// simulator and orbilan-cli. The reader takes what other tools write (S
// parameters in RI, MA or DB, Hz to GHz, any reference impedance, version-1
// noise data after a two-port's S data); the writer writes what the program
// measured, in RI at the sweep's own reference impedance.
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cal/complex.h"
#include "cal/measured_sweep.h"

namespace orbilan::touchstone {

using Cx = std::complex<double>;

enum Param { S11 = 0, S21 = 1, S12 = 2, S22 = 3 };

struct Data {
    int ports = 1;
    double z0 = 50;                   // the reference impedance the parameters are given against
    std::vector<double> hz;           // rising
    std::vector<std::array<Cx, 4>> s; // S11, S21, S12, S22 per point (a one-port fills S11 only)
};

// 1 for a name ending in .s1p, 2 for .s2p (any case), 0 otherwise.
int PortsOfName(std::string_view path);

// Reads a whole file of `ports` ports. False with a reason that names the
// line where there is one; `out` is then unspecified. Lines may end in LF,
// CR-LF or CR alone.
bool Parse(std::istream& in, int ports, Data& out, std::string& error);
// The file at path; the reason then starts with the path.
bool ReadFile(const std::string& path, int ports, Data& out, std::string& error);

// Refers the parameters to another reference impedance. False (data
// unchanged) when the result has no finite value, as for data that no
// passive network gives.
bool Renormalise(Data& data, double z0, std::string& error);

// Linear interpolation of the real and imaginary parts between points;
// outside the file's range the nearest end point holds.
Cx At(const Data& data, Param which, double hz);
// The same, but nothing outside the file's range.
std::optional<Cx> Within(const Data& data, Param which, double hz);

// ---------------------------------------------------------------- writing

struct Header {
    std::string program;        // who wrote it: "Orbilan", "orbilan-cli"
    std::string version;        // the program's version text
    std::string date, time;     // when the sweep was taken
    std::string calFile;        // the calibration file as the user knows it
    std::string calStatus;      // "Calibrated" or "Interpolated"
    std::string comment;        // the user's own line about the measurement, or ""
    int averages = 1;
    int adcWaitMs = 0;
    int adcType = 2410;
    int adcMode = 0;
    bool cds = false;
    double z0 = 50;             // the reference impedance of the file
};

struct Point {
    std::int32_t hz = 0;
    cal::Complex s;             // S11 (one port) or S21 (two ports), real and imaginary
};

// The whole file, lines ended by CR-LF, numbers with a period whatever the
// locale. ports is 1 or 2; points in ascending frequency. A one-port file
// holds S11; a two-port file holds S21 and writes the three parameters that
// were not measured as 0, with a comment saying so, since a reader cannot
// tell a measured 0 from a missing one.
// A point whose value is not a finite number (a calibration that cannot
// correct a reading gives one) is left out, with a comment saying so: no
// reader takes "NaN" for a number.
std::string Text(const Header& header, int ports, const std::vector<Point>& points);
// The frequency of the first point whose value is not a finite number.
std::optional<std::int32_t> FirstNonFinite(const std::vector<Point>& points);

// The header and points of a measured sweep; calFile as the window names
// it. A reflection sweep gives a one-port file, a transmission sweep a
// two-port one; a group-delay sweep has no Touchstone form (nullopt).
struct SweepFile {
    Header header;
    int ports = 1;
    std::vector<Point> points;
};
std::optional<SweepFile> FromSweep(const cal::MeasuredSweep& sweep, const std::string& program);

} // namespace orbilan::touchstone
