#include "sim/configured_instrument.h"

#include "sim/kesp_sim.h"
#include "ui/number_text.h"

namespace orbilan::sim {

std::string configureSimulator(const app::Settings& settings)
{
    std::string why;
    // The reader accepts only 2410 and 2440; anything else it has already
    // replaced by 2410 and said so.
    if (!kesp_sim_set_adc_type(settings.AdcType))
        why = std::string("the simulated ADC stays as it was: ") + kesp_sim_last_error();
    const std::string load = "load:R=" + ui::shortestText(settings.LoadStdR) + ",L=" +
                             ui::shortestText(settings.LoadStdL) + "n,C=" + ui::shortestText(settings.LoadStdC) + "p";
    if (!kesp_sim_set_load_standard(load.c_str())) {
        why += why.empty() ? "" : "; ";
        why += std::string("the simulated load standard stays 50 ohm: ") + kesp_sim_last_error();
    }
    return why;
}

} // namespace orbilan::sim
