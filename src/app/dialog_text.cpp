#include "app/dialog_text.h"

#include "ui/number_text.h"

namespace orbilan::app {

bool IsStandardPrompt(const std::string& title)
{
    return title == "VNA Open Calibration" || title == "VNA Short Calibration" || title == "VNA Load Calibration" ||
           title == "VNA Thru Calibration";
}

std::string FlattenedDialogText(const std::string& s)
{
    std::string out;
    for (char c : s)
        out += (c == '\r' || c == '\n') ? ' ' : c;
    return ui::trimBlanks(out);
}

std::string DialogLine(const std::string& titleText, const std::string& bodyText)
{
    const std::string title = FlattenedDialogText(titleText);
    const std::string text = FlattenedDialogText(bodyText);
    if (title.empty() || title == "Orbilan")
        return text;
    return text.empty() ? title : title + ": " + text;
}

} // namespace orbilan::app
