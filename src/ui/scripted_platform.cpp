#include "ui/scripted_platform.h"

#include <utility>

namespace orbilan::ui {

const char* buttonsName(MsgButtons buttons)
{
    switch (buttons) {
    case MsgButtons::Ok: return "OK";
    case MsgButtons::OkCancel: return "OKCancel";
    case MsgButtons::YesNo: return "YesNo";
    }
    return "?";
}

const char* iconName(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::None: return "none";
    case MsgIcon::Exclamation: return "exclamation";
    case MsgIcon::Information: return "information";
    case MsgIcon::Critical: return "critical";
    case MsgIcon::Question: return "question";
    }
    return "?";
}

const char* resultName(MsgResult result)
{
    switch (result) {
    case MsgResult::Ok: return "OK";
    case MsgResult::Cancel: return "Cancel";
    case MsgResult::Yes: return "Yes";
    case MsgResult::No: return "No";
    }
    return "?";
}

std::vector<std::string> ScriptedPlatform::messageTexts() const
{
    std::vector<std::string> texts;
    for (const auto& d : dialogs_)
        if (d.kind == DialogRecord::Kind::Message)
            texts.push_back(d.text);
    return texts;
}

bool ScriptedPlatform::takeAnswer(Answer& out)
{
    if (answers_.empty())
        return false;
    out = answers_.front();
    answers_.pop_front();
    return true;
}

void ScriptedPlatform::record(DialogRecord& rec)
{
    dialogs_.push_back(rec);
    if (!rec.answered && onUnanswered)
        onUnanswered(rec);
    if (onDialog)
        onDialog(rec);
}

MsgResult ScriptedPlatform::messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                       const std::string& title)
{
    DialogRecord rec;
    rec.kind = DialogRecord::Kind::Message;
    rec.title = title;
    rec.text = text;
    rec.detail = std::exchange(pendingDetail_, {});
    rec.buttons = buttons;
    rec.icon = icon;
    MsgResult result = MsgResult::Ok;
    if (buttons == MsgButtons::Ok) {
        result = MsgResult::Ok;
    } else {
        Answer a;
        if (!takeAnswer(a)) {
            rec.answered = false;
            result = buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
        } else {
            const bool yes = a.kind == Answer::Kind::Ok || a.kind == Answer::Kind::Yes;
            if (buttons == MsgButtons::YesNo)
                result = yes ? MsgResult::Yes : MsgResult::No;
            else
                result = yes ? MsgResult::Ok : MsgResult::Cancel;
        }
    }
    rec.answer = resultName(result);
    record(rec);
    return result;
}

MsgResult ScriptedPlatform::detailedMessageBox(const std::string& text, const std::string& detail,
                                               MsgButtons buttons, MsgIcon icon, const std::string& title)
{
    pendingDetail_ = detail;
    return messageBox(text, buttons, icon, title);
}

std::optional<std::string> ScriptedPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                      const std::string& defaultText)
{
    DialogRecord rec;
    rec.kind = DialogRecord::Kind::Input;
    rec.title = title;
    rec.text = prompt;
    rec.defaultText = defaultText;
    std::optional<std::string> result;
    Answer a;
    if (!takeAnswer(a)) {
        rec.answered = false;
    } else if (a.kind == Answer::Kind::Text) {
        result = a.text;
    } else if (a.kind == Answer::Kind::Ok) {
        result = defaultText;
    }
    rec.answer = result ? "text " + *result : "cancel";
    record(rec);
    return result;
}

std::optional<std::string> ScriptedPlatform::fileDialog(const FileDialogRequest& request)
{
    DialogRecord rec;
    rec.kind = request.save ? DialogRecord::Kind::SaveFile : DialogRecord::Kind::OpenFile;
    rec.title = request.title;
    rec.filter = request.filter;
    rec.defaultText = request.fileName;
    std::optional<std::string> result;
    Answer a;
    if (!takeAnswer(a)) {
        rec.answered = false;
    } else if (a.kind == Answer::Kind::File || a.kind == Answer::Kind::Text) {
        result = a.text;
    }
    rec.answer = result ? "file " + *result : "cancel";
    record(rec);
    return result;
}

void ScriptedPlatform::processEvents()
{
    ++processEventsCalls_;
    if (onProcessEvents)
        onProcessEvents();
}

} // namespace orbilan::ui
