#include "instrument/instrument.h"

namespace orbilan::instrument {

Instrument::Instrument() = default;
Instrument::~Instrument() = default;

} // namespace orbilan::instrument
