// orbilan --remote: the SCPI server inside the desktop program. Its sockets
// are watched from the window's event loop, and whatever arrives runs as a
// queued user action, in the window's thread and in turn with the person's
// own clicks, so the window follows everything the client does. While a
// remote command runs, the window's dialogs are answered as the server
// answers them; a calibration prompt that waits for the client is shown on
// screen as well, and whoever answers first, client or person, answers it.
#pragma once

#include <memory>
#include <string>

#include <QMessageBox>
#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>

#include "remote/remote_control.h"
#include "remote/remote_platform.h"
#include "remote/scpi_server.h"

namespace orbilan::gui {

class Desktop;

class RemoteBridge : public QObject {
    Q_OBJECT
public:
    explicit RemoteBridge(Desktop& desktop);
    ~RemoteBridge() override;

    // Listens on 127.0.0.1:port (0: a free port); "" or why it could not.
    std::string listen(int port);
    int port() const { return server_.port(); }
    remote::RemoteControl& control() { return control_; }

private:
    // Posts one round of serving to the window's action queue.
    void post();
    // Takes in what has arrived and runs it (a queued action).
    void serve();
    // Watches the sockets the server has now.
    void watch();
    void showPrompt(const std::string& title, const std::string& text, ui::MsgButtons buttons);
    void closePrompt();

    Desktop& desktop_;
    remote::RemotePlatform dialogs_;
    remote::RemoteControl control_;
    remote::ScpiServer server_;
    std::unique_ptr<QSocketNotifier> listenNotifier_;
    std::unique_ptr<QSocketNotifier> readNotifier_;
    std::unique_ptr<QSocketNotifier> writeNotifier_;
    // Picks up work that no socket announces: lines that waited for room,
    // answers that waited for the client to read.
    QTimer leftovers_;
    bool posted_ = false;
    QPointer<QMessageBox> promptBox_;
};

} // namespace orbilan::gui
