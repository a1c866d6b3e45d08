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
