#include "cli/command_platform.h"

#include "app/dialog_text.h"
#include "ui/number_text.h"

namespace orbilan::cli {

std::string dialogLine(const ui::DialogRecord& dialog)
{
    // A message that knows its cause (the USB error on a real instrument)
    // says it in brackets after its text.
    std::string text = dialog.text;
    if (!dialog.detail.empty())
        text += " (" + app::FlattenedDialogText(dialog.detail) + ")";
    return app::DialogLine(dialog.title, text);
}

CommandPlatform::CommandPlatform(std::istream& in, std::ostream& err) : SessionPlatform(err), in_(in), err_(err)
{
    onDialog = [this](const ui::DialogRecord& dialog) { shown_.push_back(dialog); };
}

std::vector<ui::DialogRecord> CommandPlatform::takeShown()
{
    std::vector<ui::DialogRecord> out;
    out.swap(shown_);
    return out;
}

bool CommandPlatform::askToConnect(const std::string& title, const std::string& text)
{
    if (beforeAsking)
        beforeAsking();
    err_ << title << ": " << app::FlattenedDialogText(text) << "\nPress Enter when done, or q and Enter to cancel: "
         << std::flush;
    std::string answer;
    const bool got = static_cast<bool>(std::getline(in_, answer));
    if (!got || echoLineEnd)
        err_ << '\n';
    if (afterAsking)
        afterAsking();
    // No one left to answer (end of input) counts as a cancel: a standard
    // must never be measured unconnected.
    if (!got)
        return false;
    const std::string a = ui::toLowerAscii(ui::trimBlanks(answer));
    return !(a == "q" || a == "quit" || a == "cancel");
}

ui::MsgResult CommandPlatform::messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                                          const std::string& title)
{
    if (buttons == ui::MsgButtons::OkCancel && app::IsStandardPrompt(title)) {
        const bool go = standardsConnectThemselves || askToConnect(title, text);
        if (!go && cancelledAt_.empty())
            cancelledAt_ = app::FlattenedDialogText(text);
        queue(go ? ui::Answer::ok() : ui::Answer::cancel());
    } else if (buttons == ui::MsgButtons::YesNo && title == app::UnsavedCalTitle) {
        queue(ui::Answer::no());
    } else if (buttons == ui::MsgButtons::OkCancel) {
        queue(ui::Answer::cancel());
    } else if (buttons == ui::MsgButtons::YesNo) {
        queue(ui::Answer::no());
    }
    return SessionPlatform::messageBox(text, buttons, icon, title);
}

std::optional<std::string> CommandPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                     const std::string& defaultText)
{
    queue(ui::Answer::typed(comment));
    return SessionPlatform::inputBox(prompt, title, defaultText);
}

std::optional<std::string> CommandPlatform::fileDialog(const ui::FileDialogRequest& request)
{
    std::string path;
    if (request.title == app::SaveCalTitle && request.save)
        path = calSavePath;
    else if (request.title == app::LoadCalTitle && !request.save)
        path = calLoadPath;
    else if (request.title == app::SaveDataTitle && request.save)
        path = dataSavePath;
    queue(path.empty() ? ui::Answer::cancelInput() : ui::Answer::file(path));
    return SessionPlatform::fileDialog(request);
}

} // namespace orbilan::cli
