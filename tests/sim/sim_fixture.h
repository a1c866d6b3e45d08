// A freshly powered simulator for each test, free of any KESP_SIM_* setting
// the caller's environment may carry.
#pragma once

#include <gtest/gtest.h>

#include <complex>
#include <cstdlib>

#include "instrument_wire.h"
#include "sim/kesp_sim.h"

class SimTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* name : {"KESP_SIM_DUT", "KESP_SIM_LOAD", "KESP_SIM_SEED", "KESP_SIM_TIMING",
                                 "KESP_SIM_FAULT", "KESP_SIM_AUTO_FOLLOW", "KESP_SIM_NOISE", "KESP_SIM_PORT",
                                 "KESP_SIM_CLOCK", "KESP_SIM_ADC"})
            unsetenv(name);
        kesp_sim_reset();
        kesp_sim_set_noise(0);
        port.out = [](std::uint16_t p, std::uint8_t v) { kesp_sim_port_out(p, v); };
        port.in = [](std::uint16_t p) { return static_cast<std::uint8_t>(kesp_sim_port_in(p)); };
    }
    void TearDown() override { kesp_sim_reset(); }

    static KespSimDdsState dds(int which)
    {
        KespSimDdsState s{};
        EXPECT_EQ(kesp_sim_get_dds(which, &s), 1);
        return s;
    }
    static std::complex<double> raw(double hz)
    {
        double re = 0, im = 0;
        kesp_sim_raw_reading(hz, &re, &im);
        return {re, im};
    }
    // The detector voltage the bench predicts at LO phase code p.
    static double predicted(double hz, int p)
    {
        return kesp_sim_detector_offset() + std::real(raw(hz) * std::polar(1.0, -p * 3.14159265358979323846 / 2));
    }

    wire::ParallelPort port;
};
