#include "gui/remote_bridge.h"

#include <algorithm>
#include <cstdio>
#include <iostream>

#include <QAbstractButton>
#include <QCoreApplication>

#include "gui/action_queue.h"
#include "gui/desktop.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

// How often work that no socket announces is looked for while a client is connected.
constexpr int LeftoversIntervalMs = 50;

} // namespace

RemoteBridge::RemoteBridge(Desktop& desktop)
    : desktop_(desktop), dialogs_(std::cerr), control_(desktop.model(), "."), server_(control_.engine())
{
    dialogs_.attach(&control_);
    server_.log = [](const std::string& line) { std::fprintf(stderr, "orbilan: remote %s\n", line.c_str()); };
    server_.onClientChange = [this] { watch(); };
    // While a calibration prompt waits for its answer, the person's clicks
    // wait as they wait under a dialog; the window keeps painting, and the
    // prompt's box on screen takes its own clicks.
    control_.engine().pump = [this](int ms) {
        QueueHold hold(&desktop_.queue());
        desktop_.refresh();
        server_.poll(std::min(ms, 20));
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    };
    control_.onPromptOpened = [this](const std::string& title, const std::string& text, ui::MsgButtons buttons) {
        showPrompt(title, text, buttons);
    };
    control_.onPromptClosed = [this] { closePrompt(); };
    connect(&leftovers_, &QTimer::timeout, this, [this] {
        if (server_.hasClient() || control_.engine().pendingLines() > 0)
            post();
    });
    leftovers_.start(LeftoversIntervalMs);
    // *RST returns to the start-up's sweep; the start-up runs first in the queue.
    desktop_.queue().post([this] { control_.rememberStartUp(); });
}

RemoteBridge::~RemoteBridge()
{
    leftovers_.stop();
    closePrompt();
    control_.engine().stop();
    listenNotifier_.reset();
    readNotifier_.reset();
    writeNotifier_.reset();
    server_.onClientChange = nullptr;
    server_.close();
}

std::string RemoteBridge::listen(int port)
{
    remote::ScpiServer::Options options;
    options.port = port;
    const std::string why = server_.listen(options);
    watch();
    return why;
}

void RemoteBridge::post()
{
    if (posted_)
        return;
    posted_ = true;
    // Level-triggered notifiers would fire again and again until the queue
    // gets round to reading: they rest until then.
    if (listenNotifier_)
        listenNotifier_->setEnabled(false);
    if (readNotifier_)
        readNotifier_->setEnabled(false);
    if (writeNotifier_)
        writeNotifier_->setEnabled(false);
    desktop_.queue().post([this] {
        posted_ = false;
        serve();
    });
}

void RemoteBridge::serve()
{
    if (desktop_.model().ended()) {
        control_.engine().stop();
        return;
    }
    // The window's dialogs are the server's while remote commands run.
    QtPlatform& platform = desktop_.platform();
    struct StandIn {
        QtPlatform& platform;
        ui::Platform* previous;
        ~StandIn() { platform.setDialogStandIn(previous); }
    } standIn{platform, platform.dialogStandIn()};
    platform.setDialogStandIn(&dialogs_);
    server_.poll(0);
    watch();
}

void RemoteBridge::watch()
{
    const int listenFd = server_.listenDescriptor();
    if (listenNotifier_ && static_cast<int>(listenNotifier_->socket()) != listenFd)
        listenNotifier_.reset();
    if (!listenNotifier_ && listenFd >= 0) {
        listenNotifier_ = std::make_unique<QSocketNotifier>(listenFd, QSocketNotifier::Read);
        connect(listenNotifier_.get(), &QSocketNotifier::activated, this, [this] { post(); });
    }
    const int clientFd = server_.clientDescriptor();
    if (readNotifier_ && static_cast<int>(readNotifier_->socket()) != clientFd) {
        readNotifier_.reset();
        writeNotifier_.reset();
    }
    if (!readNotifier_ && clientFd >= 0) {
        readNotifier_ = std::make_unique<QSocketNotifier>(clientFd, QSocketNotifier::Read);
        writeNotifier_ = std::make_unique<QSocketNotifier>(clientFd, QSocketNotifier::Write);
        connect(readNotifier_.get(), &QSocketNotifier::activated, this, [this] { post(); });
        connect(writeNotifier_.get(), &QSocketNotifier::activated, this, [this] { post(); });
    }
    if (posted_)
        return;
    if (listenNotifier_)
        listenNotifier_->setEnabled(true);
    if (readNotifier_)
        readNotifier_->setEnabled(server_.wantsToRead());
    if (writeNotifier_)
        writeNotifier_->setEnabled(server_.wantsToWrite());
}

void RemoteBridge::showPrompt(const std::string& title, const std::string& text, ui::MsgButtons buttons)
{
    closePrompt();
    const QMessageBox::StandardButtons shown = buttons == ui::MsgButtons::YesNo      ? QMessageBox::Yes | QMessageBox::No
                                               : buttons == ui::MsgButtons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel
                                                                                     : QMessageBox::Ok;
    auto* box = new QMessageBox(QMessageBox::NoIcon, qs(title), shownText(text), shown, &desktop_.mainWindow());
    box->setObjectName(QStringLiteral("orbilanRemotePrompt"));
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::ApplicationModal);
    connect(box, &QMessageBox::buttonClicked, this, [this, box](QAbstractButton* button) {
        switch (box->standardButton(button)) {
        case QMessageBox::Ok: control_.answerPrompt(ui::MsgResult::Ok); break;
        case QMessageBox::Yes: control_.answerPrompt(ui::MsgResult::Yes); break;
        case QMessageBox::No: control_.answerPrompt(ui::MsgResult::No); break;
        default: control_.answerPrompt(ui::MsgResult::Cancel); break;
        }
    });
    promptBox_ = box;
    box->show();
}

void RemoteBridge::closePrompt()
{
    if (!promptBox_)
        return;
    QMessageBox* box = promptBox_;
    promptBox_ = nullptr;
    disconnect(box, nullptr, this, nullptr);
    box->close();
}

} // namespace orbilan::gui
