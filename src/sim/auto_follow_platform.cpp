#include "sim/auto_follow_platform.h"

#include "sim/kesp_sim.h"

namespace orbilan::sim {

ui::MsgResult AutoFollowPlatform::messageBox(const std::string& text, ui::MsgButtons buttons,
                                             ui::MsgIcon icon, const std::string& title)
{
    // Before the box opens: the standard is in place by the time the user
    // (or a script) answers OK and the sweep starts.
    kesp_sim_prompt(text.c_str());
    return inner_.messageBox(text, buttons, icon, title);
}

} // namespace orbilan::sim
