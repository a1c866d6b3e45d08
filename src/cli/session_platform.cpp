#include "cli/session_platform.h"

#include <charconv>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <thread>

#include "cli/session_protocol.h"

namespace orbilan::cli {

SessionPlatform::SessionPlatform(std::ostream& out) : out_(out)
{
    onDialog = [this](const ui::DialogRecord& dialog) {
        out_ << (dialog.answered ? "> " : "> unanswered ") << describeDialog(dialog) << '\n' << std::flush;
    };
}

ui::MsgResult SessionPlatform::messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                                          const std::string& title)
{
    if (beforeMessage)
        beforeMessage(text);
    return ScriptedPlatform::messageBox(text, buttons, icon, title);
}

void SessionPlatform::sleepMs(int ms)
{
    ScriptedPlatform::sleepMs(ms);
    if (!realSleep || ms <= 0)
        return;
    // The settling wait before every reading. A sleep wakes tens of
    // microseconds late, more on a busy machine: against waits of 10 ms that
    // is percent of a sweep's time. The last fraction is waited on the clock.
    using Clock = std::chrono::steady_clock;
    const auto until = Clock::now() + std::chrono::milliseconds(ms);
    std::this_thread::sleep_until(until - std::chrono::microseconds(200));
    // Not yielding: on a busy machine a yield gives the processor away for
    // a whole time slice.
    while (Clock::now() < until) {
    }
}

ui::DateTimeText SessionPlatform::now()
{
    // SOURCE_DATE_EPOCH (seconds since 1970, UTC) fixes the time written
    // into files, so that a run can be repeated byte for byte.
    std::time_t t = std::time(nullptr);
    std::tm local{};
    long long epoch = 0;
    const char* fixed = std::getenv("SOURCE_DATE_EPOCH");
    const char* end = fixed ? fixed + std::strlen(fixed) : nullptr;
    if (fixed && *fixed && std::from_chars(fixed, end, epoch).ptr == end) {
        t = static_cast<std::time_t>(epoch);
        gmtime_r(&t, &local);
    } else {
        localtime_r(&t, &local);
    }
    char date[32];
    char time[32];
    std::strftime(date, sizeof date, "%d/%m/%Y", &local);
    std::strftime(time, sizeof time, "%H:%M", &local);
    return {date, time};
}

bool SessionPlatform::printPage(const ui::PrintPage&) { return false; }

std::string describeDialog(const ui::DialogRecord& d)
{
    std::string s;
    // The recorded answer is "text X" / "file X" with X bare: quote X.
    auto answer = [&d]() {
        for (const char* kind : {"text ", "file "}) {
            const std::string prefix = kind;
            if (d.answer.compare(0, prefix.size(), prefix) == 0)
                return prefix + quoteText(d.answer.substr(prefix.size()));
        }
        return d.answer;
    };
    switch (d.kind) {
    case ui::DialogRecord::Kind::Message:
        s = "message " + quoteText(d.title) + " " + quoteText(d.text) + " " + ui::buttonsName(d.buttons);
        if (d.icon != ui::MsgIcon::None)
            s += std::string(" ") + ui::iconName(d.icon);
        if (!d.detail.empty())
            s += " detail " + quoteText(d.detail);
        break;
    case ui::DialogRecord::Kind::Input:
        s = "input " + quoteText(d.title) + " " + quoteText(d.text) + " default " + quoteText(d.defaultText);
        break;
    case ui::DialogRecord::Kind::OpenFile:
    case ui::DialogRecord::Kind::SaveFile:
        s = std::string(d.kind == ui::DialogRecord::Kind::OpenFile ? "open " : "save ") + quoteText(d.title)
            + " filter " + quoteText(d.filter) + " name " + quoteText(d.defaultText);
        break;
    }
    return s + " -> " + answer();
}

} // namespace orbilan::cli
