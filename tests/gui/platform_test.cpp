// The Qt platform: message boxes, input box and file dialogs as the program
// asks for them; waits that repaint but run no user action; the command line
// and the file filters.
#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

#include "gui/action_queue.h"
#include "gui/command_line.h"
#include "gui/file_filter.h"
#include "gui/qt_platform.h"
#include "support/test_platform.h"

namespace orbilan::gui {
namespace {

// Runs `inspect` on the modal dialog once it is open.
template <class Dialog>
void whenOpen(std::function<void(Dialog*)> inspect)
{
    QTimer::singleShot(0, [inspect] {
        auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no dialog open";
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        inspect(dialog);
    });
}

TEST(QtPlatform, MessageBoxesShowTheProgramsTextTitleIconAndButtons)
{
    QtPlatform platform;
    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->windowTitle(), "VNA Not Responding");
        EXPECT_EQ(box->text(), "VNA Not Responding");
        EXPECT_EQ(box->informativeText(),
                  "Check that VNA is connected to USB port and switched on.\nOK to retry, Cancel to exit.");
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
        box->button(QMessageBox::Cancel)->click();
    });
    EXPECT_EQ(platform.messageBox("Check that VNA is connected to USB port and switched on.\rOK to retry, Cancel to exit.",
                                  ui::MsgButtons::OkCancel, ui::MsgIcon::Exclamation, "VNA Not Responding"),
              ui::MsgResult::Cancel);

    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->informativeText(), " Save calibration file now?");
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Yes | QMessageBox::No);
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(platform.messageBox(" Save calibration file now?", ui::MsgButtons::YesNo, ui::MsgIcon::None,
                                  "Unsaved Calibration File"),
              ui::MsgResult::Yes);

    // Closing an OK-only box is its OK; markup in a text is shown as typed.
    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        EXPECT_EQ(box->text(), "<b>not bold</b>");
        box->reject();
    });
    EXPECT_EQ(platform.messageBox("<b>not bold</b>", ui::MsgButtons::Ok, ui::MsgIcon::None, "Orbilan"),
              ui::MsgResult::Ok);
}

TEST(QtPlatform, TheCauseOfAMessageIsItsDetailedText)
{
    QtPlatform platform;
    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), "USB Communication error with VNA: aborting program");
        EXPECT_EQ(box->detailedText(), "USB device 0547:2131 (bus 001 address 002) found, but busy:\nclose that program");
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(platform.detailedMessageBox("USB Communication error with VNA: aborting program",
                                          "USB device 0547:2131 (bus 001 address 002) found, but busy:\rclose that "
                                          "program",
                                          ui::MsgButtons::Ok, ui::MsgIcon::None, "Orbilan"),
              ui::MsgResult::Ok);
    // The next box has none of it.
    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->detailedText(), "");
        box->button(QMessageBox::Ok)->click();
    });
    platform.messageBox("Saved", ui::MsgButtons::Ok, ui::MsgIcon::None, "Orbilan");
}

TEST(QtPlatform, AReasonInTheTitleIsSaidInTheBoxAndNoTextIsCutShort)
{
    QtPlatform platform;
    whenOpen<QMessageBox>([](QMessageBox* box) {
        EXPECT_EQ(box->text(), "Start frequency above maximum 60 MHz");
        EXPECT_EQ(box->informativeText(), "Please try again");
        box->adjustSize();
        // The title bar has room for the whole title.
        const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
        EXPECT_GT(box->width(), metrics.horizontalAdvance(box->windowTitle()) + 100);
        box->accept();
    });
    platform.messageBox("Please try again", ui::MsgButtons::Ok, ui::MsgIcon::Exclamation,
                        "Start frequency above maximum 60 MHz");

    // A path longer than a line wraps inside the box, which stays on the screen.
    const std::string path = "/home/user/measurements/" + std::string(120, 'x') + "/antenna_tuner_results.cal";
    whenOpen<QMessageBox>([&path](QMessageBox* box) {
        box->adjustSize();
        EXPECT_EQ(box->text().toStdString(), "Cannot write " + path);
        EXPECT_LE(box->width(), QGuiApplication::primaryScreen()->availableGeometry().width());
        auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        // Wrapped to the label's width, the whole text fits its height.
        EXPECT_TRUE(label->wordWrap());
        EXPECT_LE(label->geometry().right(), box->width());
        EXPECT_LE(label->heightForWidth(label->width()), label->height());
        box->accept();
    });
    platform.messageBox("Cannot write " + path, ui::MsgButtons::Ok, ui::MsgIcon::Critical, "Orbilan");
}

TEST(QtPlatform, InputBoxOffersTheDefaultAndTellsCancelFromEmpty)
{
    QtPlatform platform;
    whenOpen<QInputDialog>([](QInputDialog* dialog) {
        EXPECT_EQ(dialog->labelText(), "Enter a line of test details, or a comment\n(This also becomes a template for the filename)");
        EXPECT_EQ(dialog->textValue(), " ");
        dialog->setTextValue("");
        dialog->accept();
    });
    auto typed = platform.inputBox("Enter a line of test details, or a comment\r(This also becomes a template for the filename)",
                                   "Orbilan", " ");
    ASSERT_TRUE(typed.has_value());
    EXPECT_EQ(*typed, "");

    whenOpen<QInputDialog>([](QInputDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(platform.inputBox("prompt", "Orbilan", "x").has_value());
}

TEST(QtPlatform, FileDialogsUseTheFiltersTitleAndTheLastFolder)
{
    test::TempDir dir;
    QtPlatform platform;
    platform.setLastFolder(QString::fromStdString(dir.str()));

    ui::FileDialogRequest save;
    save.save = true;
    save.title = "Save calibration data to file";
    save.filter = "cal files|*.cal|All Files|*.*";
    whenOpen<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Save calibration data to file");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(dialog->nameFilters(), QStringList({"cal files (*.cal)", "All Files (*)"}));
        EXPECT_EQ(dialog->selectedNameFilter(), "cal files (*.cal)");
        EXPECT_EQ(dialog->directory().absolutePath(), QString::fromStdString(dir.str()));
        dialog->selectFile("bench");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto saved = platform.fileDialog(save);
    ASSERT_TRUE(saved.has_value());
    // A name typed without extension gets the filter's.
    EXPECT_EQ(*saved, (dir.path() / "bench.cal").string());

    // The next dialog opens where the last one left off.
    const auto sub = dir.path() / "sub";
    std::filesystem::create_directory(sub);
    dir.write("sub/old.cal", "x");
    ui::FileDialogRequest open;
    open.title = "Load calibration data";
    open.filter = "cal files|*.cal|All Files|*.*";
    open.hideReadOnly = true;
    platform.setLastFolder(QString::fromStdString(sub.string()));
    whenOpen<QFileDialog>([&](QFileDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "Load calibration data");
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        dialog->selectFile("old.cal");
        QMetaObject::invokeMethod(dialog, "accept");
    });
    const auto opened = platform.fileDialog(open);
    ASSERT_TRUE(opened.has_value());
    EXPECT_EQ(*opened, (sub / "old.cal").string());
    EXPECT_EQ(platform.lastFolder(), QString::fromStdString(sub.string()));

    whenOpen<QFileDialog>([](QFileDialog* dialog) { dialog->reject(); });
    EXPECT_FALSE(platform.fileDialog(open).has_value());
}

TEST(QtPlatform, WaitsRepaintButRunNoUserAction)
{
    QtPlatform platform;
    ActionQueue queue;
    platform.setQueue(&queue);
    int repaints = 0;
    platform.beforeEvents = [&] { ++repaints; };
    int ran = 0;
    queue.post([&] { ++ran; });

    platform.sleepMs(40);
    EXPECT_EQ(ran, 0) << "a user action ran in the middle of an instrument wait";
    EXPECT_GT(repaints, 0) << "the window was not painted during the wait";

    platform.processEvents();
    EXPECT_EQ(ran, 1);

    // An action queued while another runs waits for it, unless the running
    // one lets the window process events (a sweep's per-point yield).
    std::vector<int> order;
    queue.post([&] {
        order.push_back(1);
        queue.post([&] { order.push_back(3); });
        platform.processEvents();
        order.push_back(2);
    });
    platform.processEvents();
    EXPECT_EQ(order, (std::vector<int>{1, 3, 2}));
}

TEST(QtPlatform, ShortWaitsTakeTheirTimeAndScaledWaitsDoNot)
{
    QtPlatform platform;
    QElapsedTimer t;
    t.start();
    platform.sleepMs(30);
    EXPECT_GE(t.elapsed(), 29);
    platform.setSleepScale(0);
    t.restart();
    platform.sleepMs(5000);
    EXPECT_LT(t.elapsed(), 1000);
}

TEST(FileFilters, ProgramFiltersBecomeQtFilters)
{
    QtFileFilters f = toQtFilters("cal files|*.cal|All Files|*.*");
    EXPECT_EQ(f.filters, QStringList({"cal files (*.cal)", "All Files (*)"}));
    EXPECT_EQ(f.suffixes, QStringList({"cal", ""}));
    f = toQtFilters("csv (.csv)|*.csv|All Files|*.*");
    EXPECT_EQ(f.filters, QStringList({"csv (.csv) (*.csv)", "All Files (*)"}));
    f = toQtFilters("Touchstone|*.s1p;*.s2p");
    EXPECT_EQ(f.filters, QStringList({"Touchstone (*.s1p *.s2p)"}));
    EXPECT_EQ(f.suffixes, QStringList({"s1p"}));
    // Nothing usable still gives a dialog that shows every file.
    EXPECT_EQ(toQtFilters("").filters, QStringList({"All Files (*)"}));
    EXPECT_EQ(toQtFilters("lonely").filters, QStringList({"All Files (*)"}));
    EXPECT_EQ(toQtFilters("data|").filters, QStringList({"data (*)"}));
}

TEST(CommandLine, SimulateIniHelpVersionAndMistakes)
{
    test::TempDir dir;
    CommandLine line = parseCommandLine({"--simulate", "--ini", QString::fromStdString(dir.str())}, false);
    EXPECT_TRUE(line.error.empty());
    EXPECT_TRUE(line.options.simulate);
    EXPECT_EQ(line.options.iniDir, dir.str());

    line = parseCommandLine({QString::fromStdString("--ini=" + dir.str())}, true);
    EXPECT_TRUE(line.options.simulate) << "ORBILAN_SIMULATE=1 selects the simulator as well";
    EXPECT_EQ(line.options.iniDir, dir.str());

    EXPECT_TRUE(parseCommandLine({"--help"}, false).help);
    EXPECT_TRUE(parseCommandLine({"--version"}, false).version);
    EXPECT_EQ(parseCommandLine({"--ini"}, false).error, "--ini needs a value");
    EXPECT_EQ(parseCommandLine({"--ini", "/no/such/folder"}, false).error, "--ini: no folder /no/such/folder");
    EXPECT_EQ(parseCommandLine({"--fast"}, false).error, "unexpected argument '--fast'");
    EXPECT_EQ(parseCommandLine({}, false).remotePort, -1);
    EXPECT_EQ(parseCommandLine({"--remote"}, false).remotePort, 5025);
    EXPECT_EQ(parseCommandLine({"--remote=6000"}, false).remotePort, 6000);
    EXPECT_EQ(parseCommandLine({"--remote=0"}, false).error, "--remote 0 is out of range (1 to 65535)");
    EXPECT_EQ(parseCommandLine({"--remote", "6000"}, false).error, "unexpected argument '6000'");
    EXPECT_FALSE(parseCommandLine({}, false).options.simulate);
    EXPECT_EQ(parseCommandLine({}, false).options.iniDir, ".");
}

} // namespace
} // namespace orbilan::gui
