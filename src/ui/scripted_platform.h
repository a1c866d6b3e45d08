// A platform that answers dialogs from a queue and records everything shown.
// Used by the tests and by the terminal session, where no one sits at a window.
#pragma once

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "ui/platform.h"

namespace orbilan::ui {

struct Answer {
    enum class Kind { Ok, Cancel, Yes, No, Text, File, CancelInput };
    Kind kind = Kind::Ok;
    std::string text; // Text: the typed text; File: the path

    static Answer ok() { return {Kind::Ok, {}}; }
    static Answer cancel() { return {Kind::Cancel, {}}; }
    static Answer yes() { return {Kind::Yes, {}}; }
    static Answer no() { return {Kind::No, {}}; }
    static Answer typed(std::string t) { return {Kind::Text, std::move(t)}; }
    static Answer file(std::string path) { return {Kind::File, std::move(path)}; }
    static Answer cancelInput() { return {Kind::CancelInput, {}}; }
};

struct DialogRecord {
    enum class Kind { Message, Input, OpenFile, SaveFile };
    Kind kind = Kind::Message;
    std::string title;
    std::string text;          // message text, input prompt
    std::string detail;        // a message's cause (detailedMessageBox)
    MsgButtons buttons = MsgButtons::Ok;
    MsgIcon icon = MsgIcon::None;
    std::string defaultText;   // input box default, proposed file name
    std::string filter;        // file dialogs
    bool answered = true;      // false when no queued answer was found
    std::string answer;        // "OK", "Cancel", "Yes", "No", "text ...", "file ...", "cancel"
};

class ScriptedPlatform : public Platform {
public:
    void queue(Answer answer) { answers_.push_back(std::move(answer)); }
    std::size_t pendingAnswers() const { return answers_.size(); }
    void clearAnswers() { answers_.clear(); }

    const std::vector<DialogRecord>& dialogs() const { return dialogs_; }
    void clearDialogs() { dialogs_.clear(); }
    // Texts of the message boxes shown so far.
    std::vector<std::string> messageTexts() const;

    // Called for a dialog that needed an answer and found none (tests fail
    // there; the session reports it).
    std::function<void(const DialogRecord&)> onUnanswered;
    // Called for every dialog, after it is answered.
    std::function<void(const DialogRecord&)> onDialog;
    // Called by processEvents(): where a script presses buttons mid-sweep.
    std::function<void()> onProcessEvents;

    int processEventsCalls() const { return processEventsCalls_; }
    long long sleptMs() const { return sleptMs_; }
    bool ended() const { return ended_; }
    void setDecimalSeparator(char c) { decimalSeparator_ = c; }
    void setNow(DateTimeText now) { now_ = std::move(now); }
    const std::vector<Image>& clipboard() const { return clipboard_; }
    const std::vector<PrintPage>& printed() const { return printed_; }

    MsgResult messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                         const std::string& title) override;
    // Goes through messageBox, so that what a derived platform does there
    // applies; the detail is recorded beside the text.
    MsgResult detailedMessageBox(const std::string& text, const std::string& detail, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const FileDialogRequest& request) override;
    void processEvents() override;
    void sleepMs(int ms) override { sleptMs_ += ms; }
    DateTimeText now() override { return now_; }
    char decimalSeparator() override { return decimalSeparator_; }
    void setClipboardImage(const Image& image) override { clipboard_.push_back(image); }
    bool printPage(const PrintPage& page) override
    {
        printed_.push_back(page);
        return true;
    }
    void endProgram() override { ended_ = true; }

private:
    bool takeAnswer(Answer& out);
    void record(DialogRecord& record);

    std::deque<Answer> answers_;
    std::vector<DialogRecord> dialogs_;
    std::string pendingDetail_; // for the messageBox call detailedMessageBox makes
    int processEventsCalls_ = 0;
    long long sleptMs_ = 0;
    bool ended_ = false;
    char decimalSeparator_ = '.';
    DateTimeText now_{"07/12/2026", "13:00"};
    std::vector<Image> clipboard_;
    std::vector<PrintPage> printed_;
};

} // namespace orbilan::ui
