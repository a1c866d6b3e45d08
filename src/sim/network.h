// What can be connected to the simulated instrument, and what it does to a
// 50-ohm wave: the standards, lumped R/L/C networks and Touchstone files.
// Internal to libkespsim.
#pragma once

#include <array>
#include <complex>
#include <functional>
#include <istream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbilan::sim {

using Cx = std::complex<double>;

// The bench's reference impedance: the bridge and the detector are 50-ohm.
inline constexpr double BenchOhms = 50.0;

// "4.7k", "100p", "1e-9", "2.2M": a number with an optional SI multiplier
// (p n u m k M G). Locale-independent; nothing may follow the multiplier.
std::optional<double> parseSiValue(std::string_view text);

// A Touchstone 1.x data set, renormalised to 50 ohm on loading.
struct Touchstone {
    int ports = 1;
    std::vector<double> hz;
    // S11, S21, S12, S22 per point (a one-port file fills S11 only).
    std::vector<std::array<Cx, 4>> s;
};

enum TouchstoneParam { S11 = 0, S21 = 1, S12 = 2, S22 = 3 };

// ports = 1 for .s1p, 2 for .s2p. False with a reason (line number included).
bool parseTouchstone(std::istream& in, int ports, Touchstone& out, std::string& error);
bool readTouchstone(const std::string& path, int ports, Touchstone& out, std::string& error);
// Linear interpolation of the real and imaginary parts between file points;
// outside the file's range the nearest end point holds.
Cx touchstoneAt(const Touchstone& data, TouchstoneParam which, double hz);

// Where a device sits: on the reflection bridge (a one-port, seen through its
// reflection coefficient) or between source and detector (a two-port, seen
// through its S21).
enum class Path { Reflection, Transmission };

struct Device {
    std::string text;                    // the description it was made from
    Path path = Path::Reflection;
    std::function<Cx(double hz)> response; // reflection coefficient (50 ohm) or S21
};

// Parses a device description (see kesp_sim_set_dut). False with a reason.
bool parseDevice(std::string_view description, Device& out, std::string& error);

} // namespace orbilan::sim
