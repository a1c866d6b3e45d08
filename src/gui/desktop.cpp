#include "gui/desktop.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QShortcut>

#include "app/manual_form.h"
#include "display/canvas.h"
#include "gui/form_binder.h"
#include "gui/bench_window.h"
#include "gui/form_layout.h"

namespace orbilan::gui {

namespace {
constexpr int RepaintIntervalMs = 30;
}

FormWindow::FormWindow(Desktop& desktop, bool mainWindow)
    : desktop_(desktop), main_(mainWindow), form_(new QWidget)
{
    setObjectName(mainWindow ? QStringLiteral("MainWindow") : QStringLiteral("ManualForm"));
    form_->setObjectName(mainWindow ? QStringLiteral("MainWindowForm") : QStringLiteral("ManualFormForm"));
    // The form has a fixed design size; a smaller screen scrolls it.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(form_);
    scroll->setWidgetResizable(false);
    scroll->setAlignment(Qt::AlignCenter);
    scroll->setFrameShape(QFrame::NoFrame);
    setCentralWidget(scroll);
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    if (desktop_.ended()) {
        event->accept();
        return;
    }
    // Closing a window is the program's decision (the exit button asks about
    // an unsaved calibration and powers the synthesisers down first).
    event->ignore();
    desktop_.closeRequested(main_);
}

Desktop::Desktop(app::ProgramOptions options, ui::Platform* dialogStandIn)
{
    platform_.setQueue(&queue_);
    platform_.setDialogStandIn(dialogStandIn);
    ui::Platform* modelPlatform = &platform_;
#ifdef ORBILAN_HAVE_SIM
    if (options.simulate) {
        modelPlatform_ = makeSimulatorPlatform(platform_);
        modelPlatform = modelPlatform_.get();
    }
#endif
    model_ = std::make_unique<app::MainWindow>(*modelPlatform, std::move(options));

    main_ = new FormWindow(*this, true);
    manual_ = new FormWindow(*this, false);
    platform_.setDialogParent(main_);

    app::MainWindow& model = *model_;
    auto canvases = [&model](const std::string& name) -> const display::Canvas* {
        if (name == "Screen1")
            return &model.plotCanvas();
        if (name == "SweepLine")
            return &model.progressCanvas();
        if (name == "BargraphY1")
            return &model.barCanvas(1);
        if (name == "BarGraphY2")
            return &model.barCanvas(2);
        return nullptr;
    };
    mainBinder_ = std::make_unique<FormBinder>(model, model.controls(), mainWindowLayout(), queue_, main_->form(),
                                               canvases);
    manualBinder_ = std::make_unique<FormBinder>(model, model.manualForm().controls(), manualFormLayout(), queue_,
                                                 manual_->form(), nullptr);
    mainBinder_->onWindowTitle = [this](const QString& title) { main_->setWindowTitle(title); };
    manualBinder_->onWindowTitle = [this](const QString& title) { manual_->setWindowTitle(title); };
    manualBinder_->onWindowVisible = [this](bool visible) {
        if (visible) {
            manual_->show();
            manual_->raise();
            manual_->activateWindow();
        } else {
            manual_->hide();
        }
    };
    mainBinder_->build();
    manualBinder_->build();
    manual_->adjustSize();

    platform_.beforeEvents = [this] { refresh(); };
    platform_.onEndProgram = [this] { programEnded(); };
    queue_.afterAction = [this] { refresh(); };
    connect(&repaint_, &QTimer::timeout, this, &Desktop::refresh);
    repaint_.start(RepaintIntervalMs);

#ifdef ORBILAN_HAVE_SIM
    if (model_->options().simulate) {
        model_->onCalibrationFinished = [] { simulatorCalibrationDone(); };
        model_->onConfigurationRead = [](const app::Settings& s) { simulatorConfigured(s); };
        bench_ = new BenchWindow(platform_);
        // A closed bench only hides; Ctrl+B in the main window brings it back.
        auto* showBench = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_B), main_);
        connect(showBench, &QShortcut::activated, this, [this] {
            if (!bench_)
                return;
            bench_->show();
            bench_->raise();
            bench_->activateWindow();
        });
    }
#endif
}

Desktop::~Desktop()
{
    repaint_.stop();
    mainBinder_.reset();
    manualBinder_.reset();
    delete bench_.data();
    delete manual_.data();
    delete main_.data();
    model_.reset();
}

void Desktop::start()
{
    // Fits the design size, or the screen when that is smaller.
    QSize size = main_->form()->size() + QSize(4, 4);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(16, 48));
    main_->resize(size);
    main_->show();
    if (bench_) {
        bench_->show();
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            bench_->move(screen->availableGeometry().right() - bench_->frameGeometry().width() - 8,
                         screen->availableGeometry().top() + 8);
    }
    queue_.post([this] { model_->deliver([this] { model_->Form_Load(); }); });
}

void Desktop::refresh()
{
    if (mainBinder_)
        mainBinder_->refresh();
    if (manualBinder_)
        manualBinder_->refresh();
}

void Desktop::closeRequested(bool mainWindow)
{
    if (model_->ended()) {
        programEnded();
        return;
    }
    if (mainWindow) {
        if (model_->controls().contains("End_Button"))
            mainBinder_->click("End_Button");
        else
            programEnded();
    } else {
        if (model_->manualForm().controls().contains("CloseButton"))
            manualBinder_->click("CloseButton");
        else
            manual_->hide();
    }
}

void Desktop::programEnded()
{
    ended_ = true;
    if (bench_)
        bench_->close();
    manual_->close();
    main_->close();
    QCoreApplication::quit();
}

} // namespace orbilan::gui
