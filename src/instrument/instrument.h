// The instrument link as the window model sees it: the chosen transport
// (parallel port through libinpout32, or USB through libbrindle), DDS
// programming and ADC acquisition.
#pragma once

namespace orbilan::instrument {

class Instrument {
public:
    Instrument();
    ~Instrument();
};

} // namespace orbilan::instrument
