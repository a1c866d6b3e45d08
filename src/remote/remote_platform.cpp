#include "remote/remote_platform.h"

#include <chrono>
#include <ctime>
#include <thread>

#include "app/dialog_text.h"
#include "remote/remote_control.h"

namespace orbilan::remote {

RemotePlatform::RemotePlatform(std::ostream& notes) : notes_(notes) {}

ui::MsgResult RemotePlatform::messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon,
                                         const std::string& title)
{
    if (beforeMessage)
        beforeMessage(text);
    lastNote_ = app::DialogLine(title, text);
    if (control_)
        return control_->messageBox(text, buttons, title);
    notes_ << notePrefix << lastNote_ << '\n' << std::flush;
    switch (buttons) {
    case ui::MsgButtons::Ok: return ui::MsgResult::Ok;
    case ui::MsgButtons::OkCancel: return ui::MsgResult::Cancel;
    case ui::MsgButtons::YesNo: return ui::MsgResult::No;
    }
    return ui::MsgResult::Cancel;
}

std::optional<std::string> RemotePlatform::inputBox(const std::string& prompt, const std::string& title,
                                                    const std::string& defaultText)
{
    if (control_)
        return control_->inputBox(prompt, title, defaultText);
    return std::nullopt;
}

std::optional<std::string> RemotePlatform::fileDialog(const ui::FileDialogRequest& request)
{
    if (control_)
        return control_->fileDialog(request);
    return std::nullopt;
}

void RemotePlatform::processEvents()
{
    if (onProcessEvents)
        onProcessEvents();
}

void RemotePlatform::sleepMs(int ms)
{
    if (realSleep && ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

ui::DateTimeText RemotePlatform::now()
{
    const std::time_t t = std::time(nullptr);
    std::tm local{};
    localtime_r(&t, &local);
    char date[32];
    char time[32];
    std::strftime(date, sizeof date, "%d/%m/%Y", &local);
    std::strftime(time, sizeof time, "%H:%M", &local);
    return {date, time};
}

void RemotePlatform::endProgram()
{
    if (onEnd)
        onEnd();
}

} // namespace orbilan::remote
