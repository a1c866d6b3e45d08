// orbilan --remote: a SCPI client drives the desktop program, and the
// window follows; a calibration prompt waiting for the client is on screen
// too, and the person at the window may answer it instead.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QRadioButton>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include "desktop_fixture.h"
#include "gui/remote_bridge.h"

namespace orbilan::test {
namespace {

class RemoteDesktop : public DesktopTest {
protected:
    void SetUp() override
    {
        start("owner = lab\n");
        bridge = std::make_unique<gui::RemoteBridge>(*desktop);
        ASSERT_EQ(bridge->listen(0), "");
        fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(bridge->port()));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    }
    void TearDown() override
    {
        ::close(fd);
        bridge.reset();
    }

    // Sends the lines, then runs the window until `answers` lines came back.
    std::vector<std::string> exchange(const std::string& lines, std::size_t answers)
    {
        const std::string bytes = lines + "\n";
        ::send(fd, bytes.data(), bytes.size(), 0);
        std::vector<std::string> got;
        QElapsedTimer timer;
        timer.start();
        while (got.size() < answers && timer.elapsed() < 20000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            char buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof buf, MSG_DONTWAIT);
            if (n > 0)
                pending.append(buf, static_cast<std::size_t>(n));
            for (auto end = pending.find('\n'); end != std::string::npos; end = pending.find('\n')) {
                got.push_back(pending.substr(0, end));
                pending.erase(0, end + 1);
            }
        }
        settle();
        return got;
    }

    std::unique_ptr<gui::RemoteBridge> bridge;
    int fd = -1;
    std::string pending;
};

TEST_F(RemoteDesktop, TheWindowFollowsTheClient)
{
    ASSERT_TRUE(desktop->bench()->connectDevice("refl:R=100"));
    EXPECT_EQ(exchange("*IDN?", 1), std::vector<std::string>{"Orbilan,Kesp VNA,0,1.3D"});
    // The calibration, its prompts answered by the client, in one go.
    const auto replies = exchange("FREQ:STAR 1 MHz;STOP 30 MHz;SWE:POIN 21;:MODE REFL;:CAL:STAR;*OPC?\n"
                                  "CAL:PROM?;ANSW OK;*OPC?\nCAL:PROM?;ANSW OK;*OPC?\nCAL:PROM?;ANSW OK;*OPC?\n"
                                  "CAL:STAT?;:DISP:FORM 'SWR';:INIT;*OPC?;:SYST:ERR?",
                                  5);
    EXPECT_EQ(replies, (std::vector<std::string>{"1", "\"Connect open circuit reference, then click OK\";1",
                                                 "\"Connect short circuit reference, then click OK\";1",
                                                 "\"Connect reference load, then click OK\";1",
                                                 "CAL;1;0,\"No error\""}));
    EXPECT_TRUE(widgetAs<QRadioButton>("ModeButton_1")->isChecked());
    EXPECT_EQ(model().controls().at("CalLabel").caption(), "Calibrated");
    EXPECT_EQ(model().controls().at("SweepStatus").caption(), "Completed Sweep");
    EXPECT_EQ(model().disp.DisplayCode, 14);
    EXPECT_EQ(model().settings.SweepPoints, 21);
    // The window's dialogs are its own again once the client is served.
    EXPECT_EQ(desktop->platform().dialogStandIn(), &answers);
}

TEST_F(RemoteDesktop, ThePersonAtTheWindowMayAnswerAPrompt)
{
    // The prompt's box comes up on screen; the person cancels it there.
    bool seen = false;
    QTimer clicker;
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        for (QWidget* top : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(top);
            if (!box || box->objectName() != QStringLiteral("orbilanRemotePrompt") || !box->isVisible())
                continue;
            seen = box->text() == QStringLiteral("Connect open circuit reference, then click OK");
            box->button(QMessageBox::Cancel)->click();
            clicker.stop();
        }
    });
    clicker.start(20);
    // The prompt waits when the line goes on: *OPC? answers, and so do the
    // queries after it.
    EXPECT_EQ(exchange("FREQ:STAR 1M;STOP 2M;SWE:POIN 3;:MODE REFL;:CAL:STAR;*OPC?;PROM?;STAT?", 1),
              std::vector<std::string>{"1;\"Connect open circuit reference, then click OK\";NONE"});
    EXPECT_EQ(exchange("CAL:PROM?;STAT?", 1), std::vector<std::string>{"\"\";NONE"});
    EXPECT_TRUE(seen);
    EXPECT_EQ(model().controls().at("CalLabel").caption(), "Not Calibrated");
}

} // namespace
} // namespace orbilan::test
