#include "gui/bench_window.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <string>

#include "gui/qt_platform.h"
#include "gui/qt_text.h"
#include "sim/auto_follow_platform.h"
#include "sim/configured_instrument.h"
#include "sim/kesp_sim.h"

namespace orbilan::gui {

namespace {

struct Choice {
    const char* caption;
    const char* spec; // nullptr: taken from the form
};

// What can be connected; the two last take their description from the fields.
constexpr Choice Choices[] = {
    {"Open circuit", "open"},
    {"Short circuit", "short"},
    {"Load (50 ohm)", "load"},
    {"Thru", "thru"},
    {"Isolation (detector port open)", "isolation"},
    {"Network", nullptr},
    {"Touchstone file", nullptr},
};
constexpr int NetworkChoice = 5;
constexpr int FileChoice = 6;

} // namespace

BenchWindow::BenchWindow(QtPlatform& platform, QWidget* parent) : QWidget(parent, Qt::Window), platform_(platform)
{
    setObjectName(QStringLiteral("BenchWindow"));
    setWindowTitle(QStringLiteral("Simulator bench"));
    auto* layout = new QVBoxLayout(this);

    auto* connectedBox = new QGroupBox(QStringLiteral("Connected to the instrument"), this);
    auto* grid = new QGridLayout(connectedBox);
    devices_ = new QButtonGroup(this);
    int row = 0;
    for (int i = 0; i < static_cast<int>(std::size(Choices)); ++i) {
        auto* option = new QRadioButton(QString::fromUtf8(Choices[i].caption), connectedBox);
        option->setObjectName(QStringLiteral("device_%1").arg(i));
        devices_->addButton(option, i);
        grid->addWidget(option, row++, 0, 1, 3);
        if (i == NetworkChoice) {
            value_ = new QLineEdit(QStringLiteral("refl:R=100,L=1u"), connectedBox);
            value_->setObjectName(QStringLiteral("networkSpec"));
            value_->setToolTip(QStringLiteral(
                "refl:R=..,L=..,C=..,topology=series|parallel   a one-port on the reflection bridge\n"
                "trans:series:R=..   or   trans:shunt:C=..   a two-port in the transmission path\n"
                "values take SI suffixes: 1u, 100p, 4k7 ..."));
            grid->addWidget(value_, row++, 1, 1, 2);
        } else if (i == FileChoice) {
            file_ = new QLineEdit(connectedBox);
            file_->setObjectName(QStringLiteral("touchstonePath"));
            file_->setPlaceholderText(QStringLiteral(".s1p or .s2p file"));
            auto* browse = new QPushButton(QStringLiteral("Browse..."), connectedBox);
            connect(browse, &QPushButton::clicked, this, &BenchWindow::chooseFile);
            grid->addWidget(file_, row, 1);
            grid->addWidget(browse, row++, 2);
        }
    }
    grid->setColumnMinimumWidth(0, 16);
    auto* connectButton = new QPushButton(QStringLiteral("Connect"), connectedBox);
    connectButton->setObjectName(QStringLiteral("connectButton"));
    connect(connectButton, &QPushButton::clicked, this, &BenchWindow::connectFromForm);
    grid->addWidget(connectButton, row++, 0, 1, 3);
    status_ = new QLabel(connectedBox);
    status_->setObjectName(QStringLiteral("connectedStatus"));
    status_->setWordWrap(true);
    status_->setTextFormat(Qt::PlainText);
    grid->addWidget(status_, row++, 0, 1, 3);
    refused_ = new QLabel(connectedBox);
    refused_->setObjectName(QStringLiteral("refusedStatus"));
    refused_->setWordWrap(true);
    refused_->setTextFormat(Qt::PlainText);
    refused_->setStyleSheet(QStringLiteral("color: #b00000"));
    refused_->hide();
    grid->addWidget(refused_, row++, 0, 1, 3);
    layout->addWidget(connectedBox);

    auto* behaviour = new QGroupBox(QStringLiteral("Simulation"), this);
    auto* b = new QVBoxLayout(behaviour);
    follow_ = new QCheckBox(QStringLiteral("Follow the calibration prompts"), behaviour);
    follow_->setObjectName(QStringLiteral("autoFollow"));
    follow_->setToolTip(QStringLiteral("Connect the standard each calibration prompt asks for.\n"
                                       "When off, choose the standard above before answering each prompt."));
    b->addWidget(follow_);
    auto* timing = new QHBoxLayout;
    timing->addWidget(new QLabel(QStringLiteral("Timing:"), behaviour));
    realTime_ = new QRadioButton(QStringLiteral("real time"), behaviour);
    realTime_->setObjectName(QStringLiteral("realTime"));
    fast_ = new QRadioButton(QStringLiteral("fast"), behaviour);
    fast_->setObjectName(QStringLiteral("fastTiming"));
    fast_->setToolTip(QStringLiteral("No conversion or settling time: sweeps run as fast as they can be drawn"));
    timing->addWidget(realTime_);
    timing->addWidget(fast_);
    timing->addStretch();
    b->addLayout(timing);
    noise_ = new QCheckBox(QStringLiteral("Detector noise"), behaviour);
    noise_->setObjectName(QStringLiteral("noise"));
    b->addWidget(noise_);
    layout->addWidget(behaviour);
    layout->addStretch();

    connect(follow_, &QCheckBox::toggled, this, &BenchWindow::setAutoFollow);
    connect(noise_, &QCheckBox::toggled, this, &BenchWindow::setNoise);
    connect(fast_, &QRadioButton::toggled, this, &BenchWindow::setFastTiming);

    // A newcomer's bench: calibration prompts followed, the instrument's own
    // pace, and noise as a real detector has it.
    follow_->setChecked(true);
    setAutoFollow(true);
    noise_->setChecked(true);
    setNoise(true);
    realTime_->setChecked(true);
    setFastTiming(false);

    const QString configured = QString::fromUtf8(kesp_sim_configured_dut());
    connected_ = configured;
    devices_->button(NetworkChoice)->setChecked(true);
    for (int i = 0; i < static_cast<int>(std::size(Choices)); ++i)
        if (Choices[i].spec && configured == QLatin1String(Choices[i].spec))
            devices_->button(i)->setChecked(true);
    if (devices_->checkedId() == NetworkChoice && !configured.isEmpty())
        value_->setText(configured);

    // Auto-follow swaps standards in and out during a calibration: the
    // bench shows what is connected at the moment, whatever was chosen.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &BenchWindow::showConnected);
    poll->start(250);
    showConnected();
}

void BenchWindow::showConnected()
{
    const QString now = QStringLiteral("Now connected: %1").arg(QString::fromUtf8(kesp_sim_connected_dut()));
    if (status_->text() != now)
        status_->setText(now);
}

QString BenchWindow::statusText() const { return status_->text(); }

QString BenchWindow::refusalText() const { return refused_->isHidden() ? QString() : refused_->text(); }

BenchWindow::~BenchWindow() = default;

bool BenchWindow::connectDevice(const QString& spec)
{
    if (spec.isEmpty() || !kesp_sim_set_dut(ss(spec).c_str())) {
        const QString reason =
            spec.isEmpty() ? QStringLiteral("nothing to connect") : QString::fromUtf8(kesp_sim_last_error());
        const QString still = QString::fromUtf8(kesp_sim_connected_dut());
        refused_->setText(QStringLiteral("Not connected: %1\n(%2)\nStill connected: %3").arg(spec, reason, still));
        refused_->show();
        showConnected();
        platform_.messageBox(ss(QStringLiteral("\"%1\" could not be connected:\r%2\r\rStill connected: %3")
                                    .arg(spec, reason, still)),
                             ui::MsgButtons::Ok, ui::MsgIcon::Exclamation, "Simulator bench");
        return false;
    }
    connected_ = spec;
    refused_->hide();
    refused_->clear();
    showConnected();
    return true;
}

void BenchWindow::connectFromForm()
{
    const int id = devices_->checkedId();
    if (id < 0)
        return;
    if (Choices[id].spec)
        connectDevice(QString::fromUtf8(Choices[id].spec));
    else if (id == NetworkChoice)
        connectDevice(value_->text().trimmed());
    else
        connectDevice(file_->text().trimmed());
}

void BenchWindow::chooseFile()
{
    const QString path = QFileDialog::getOpenFileName(this, QStringLiteral("Touchstone file"), platform_.lastFolder(),
                                                      QStringLiteral("Touchstone (*.s1p *.s2p);;All Files (*)"));
    if (path.isEmpty())
        return;
    file_->setText(path);
    devices_->button(FileChoice)->setChecked(true);
    connectDevice(path);
}

void BenchWindow::setAutoFollow(bool on)
{
    kesp_sim_set_auto_follow(on ? 1 : 0);
    if (follow_->isChecked() != on)
        follow_->setChecked(on);
}

void BenchWindow::setFastTiming(bool fast)
{
    kesp_sim_set_timing(fast ? 0.0 : 1.0);
    // The program's own waits (settling time) go with the instrument's pace.
    platform_.setSleepScale(fast ? 0.0 : 1.0);
    if (fast_->isChecked() != fast)
        (fast ? fast_ : realTime_)->setChecked(true);
}

void BenchWindow::setNoise(bool on)
{
    kesp_sim_set_noise(on ? 1 : 0);
    if (noise_->isChecked() != on)
        noise_->setChecked(on);
}

std::unique_ptr<ui::Platform> makeSimulatorPlatform(ui::Platform& inner)
{
    return std::make_unique<sim::AutoFollowPlatform>(inner);
}

void simulatorCalibrationDone() { kesp_sim_calibration_done(); }

void simulatorConfigured(const app::Settings& settings)
{
    if (const std::string why = sim::configureSimulator(settings); !why.empty())
        std::fprintf(stderr, "orbilan: %s\n", why.c_str());
}

} // namespace orbilan::gui
