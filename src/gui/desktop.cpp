#include "gui/desktop.h"

#include <QClipboard>
#include <QCloseEvent>
#include <QPainter>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QScrollArea>
#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include "app/manual_form.h"
#include "app/plot_scene.h"
#include "app/user_input.h"
#include "display/canvas.h"
#include "gui/form_binder.h"
#include "gui/bench_window.h"
#include "gui/form_layout.h"
#include "gui/help_window.h"
#include "gui/menu_bar.h"
#include "gui/plot_view.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {
constexpr int RepaintIntervalMs = 30;
}

FormWindow::FormWindow(Desktop& desktop, bool mainWindow)
    : desktop_(desktop), main_(mainWindow), form_(new QWidget)
{
    setObjectName(mainWindow ? QStringLiteral("MainWindow") : QStringLiteral("ManualForm"));
    form_->setObjectName(mainWindow ? QStringLiteral("MainWindowForm") : QStringLiteral("ManualFormForm"));
    // The form fills the window and spreads its controls; only a window
    // smaller than the form's smallest size scrolls it.
    auto* scroll = new QScrollArea(this);
    scroll->setWidget(form_);
    scroll->setWidgetResizable(true);
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
    // The folders the file dialogs last opened, per kind of file.
    {
        QSettings settings;
        settings.beginGroup(QStringLiteral("folders"));
        for (const QString& kind : settings.childKeys())
            platform_.setLastFolder(kind, settings.value(kind).toString());
    }
    platform_.onFolderChosen = [](const QString& kind, const QString& folder) {
        QSettings settings;
        settings.setValue(QStringLiteral("folders/") + kind, folder);
    };
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
    auto pictures = [this, &model](const std::string& name, QWidget* host) -> QWidget* {
        if (name != "Screen1")
            return nullptr;
        plot_ = new PlotView(model, host);
        connect(plot_, &PlotView::hoverChanged, main_, [this](const QString& text) {
            if (text.isEmpty())
                main_->statusBar()->clearMessage();
            else
                main_->statusBar()->showMessage(text);
        });
        return plot_;
    };
    mainBinder_ = std::make_unique<FormBinder>(model, model.controls(), mainWindowLayout(), queue_, main_->form(),
                                               canvases, pictures);
    manualBinder_ = std::make_unique<FormBinder>(model, model.manualForm().controls(), manualFormLayout(), queue_,
                                                 manual_->form(), nullptr);
    mainBinder_->onWindowTitle = [this](const QString& title) { main_->setWindowTitle(WindowTitle(title)); };
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
    main_->statusBar()->setObjectName(QStringLiteral("statusBar"));
    buildMenus();

    platform_.shownPlot = [this] {
        return plot_ && plot_->isVisible() ? plot_->render(plot_->size(), plot_->devicePixelRatioF()) : QImage();
    };
    platform_.printPlot = [this](QPainter& painter, const QRectF& box) {
        if (plot_)
            plot_->renderForPrint(painter, box);
    };
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
        // A closed bench only hides; Tools > Simulator Bench (Ctrl+B) brings it back.
        menus_->addDesktopEntry(QStringLiteral("&Tools"), QStringLiteral("Simulator &Bench"),
                                QKeySequence(Qt::CTRL | Qt::Key_B), [this] { showBench(); });
    }
#endif
}

void Desktop::buildMenus()
{
    menus_ = new MenuBar(*main_, *model_, *mainBinder_);
    // The plot as an image with what it shows written under it; a second
    // way of copying, available whenever Copy is.
    auto copyEnabled = [this] { return app::UserInput(*model_).refusal("SendToClipboard").empty(); };
    QAction* annotated = menus_->addDesktopEntry(QStringLiteral("&File"), QStringLiteral("Copy Plot with &Settings"),
                                                 QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_C),
                                                 [this] { copyAnnotated(); }, copyEnabled);
    annotated->setObjectName(QStringLiteral("action_copyAnnotated"));
    // Before Quit.
    QMenu* file = menus_->menu(QStringLiteral("&File"));
    file->removeAction(annotated);
    if (QAction* copy = menus_->action("SendToClipboard")) {
        const QList<QAction*> actions = file->actions();
        const qsizetype at = actions.indexOf(copy);
        file->insertAction(at + 1 < actions.size() ? actions[at + 1] : nullptr, annotated);
    }
    QAction* help = menus_->addDesktopEntry(QStringLiteral("&Help"), QStringLiteral("Orbilan &Help"),
                                            QKeySequence(QKeySequence::HelpContents), [this] { showHelp(); });
    help->setObjectName(QStringLiteral("action_help"));
    traceTools_ = new TraceToolsUi(*main_, *model_, *menus_, queue_, plot_);
    QMenu* helpMenu = menus_->menu(QStringLiteral("&Help"));
    helpMenu->removeAction(help);
    helpMenu->insertAction(helpMenu->actions().isEmpty() ? nullptr : helpMenu->actions().first(), help);
    menus_->addDesktopEntry(QStringLiteral("&Tools"), QStringLiteral("&Time Domain (TDR)..."),
                            QKeySequence(Qt::CTRL | Qt::Key_T), [this] { showTdr(); })
        ->setObjectName(QStringLiteral("action_tdr"));
}

void Desktop::showBench()
{
    if (!bench_)
        return;
    bench_->show();
    bench_->raise();
    bench_->activateWindow();
}

void Desktop::showHelp()
{
    if (!help_)
        help_ = new HelpWindow(main_);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void Desktop::showTdr()
{
    if (!tdr_) {
        tdr_ = new TdrWindow(*model_, queue_);
        if (!tdr_->restoreGeometry(QSettings().value(QStringLiteral("tdr/geometry")).toByteArray())) {
            const QRect screen = QGuiApplication::primaryScreen()
                                     ? QGuiApplication::primaryScreen()->availableGeometry()
                                     : QRect(0, 0, 1366, 768);
            tdr_->resize(QSize(1100, 660).boundedTo(screen.size() - QSize(16, 48)));
        }
    }
    tdr_->fillSweepFields();
    tdr_->show();
    tdr_->raise();
    tdr_->activateWindow();
}

QImage Desktop::annotatedPlot()
{
    if (!plot_)
        return {};
    const app::MainWindow& m = *model_;
    auto caption = [&m](const char* name, int index = -1) {
        const ui::Control* c = m.controls().find(name, index);
        return c ? qs(c->caption()) : QString();
    };
    auto shown = [&m](const char* name) {
        const ui::Control* c = m.controls().find(name);
        return c && c->reachable();
    };
    QStringList lines;
    const ui::DateTimeText now = platform_.now();
    lines << caption("TitleLabel") + QStringLiteral("   ") + qs(now.date) + QStringLiteral("  ") + qs(now.time);
    lines << QStringLiteral("Display: ") + caption("DisplayLabel") + QStringLiteral("   ") + caption("CalLabel");
    QString sweep = QStringLiteral("Sweep: ") + caption("FreqLeft") + QStringLiteral(" to ") + caption("FreqRight")
                    + QStringLiteral(" MHz, ") + QString::number(m.settings.SweepPoints) + QStringLiteral(" points");
    if (shown("TellSteps"))
        sweep += QStringLiteral(" (") + caption("TellSteps").trimmed() + QLatin1Char(')');
    lines << sweep;
    lines << QStringLiteral("ADC %1, mode %2, settling %3 ms, %4 per point, CDS %5, sweep time %6 s")
                 .arg(m.settings.AdcType)
                 .arg(m.settings.AdcMode)
                 .arg(m.settings.AdcWaitMs)
                 .arg(m.settings.AdcAverages == 1 ? QStringLiteral("1 reading")
                                                  : QStringLiteral("%1 readings").arg(m.settings.AdcAverages))
                 .arg(m.sweep.CdsOn ? QStringLiteral("on") : QStringLiteral("off"))
                 .arg(caption("TimeEstimate"));
    const display::PlotScene scene = app::PlotSceneOf(m);
    if (scene.markersShown)
        for (const display::ReadoutLine& line : scene.readout)
            lines << QStringLiteral("Marker ") + qs(line.text);

    const QSize plotSize = plot_->size();
    const qreal ratio = plot_->devicePixelRatioF();
    const QFontMetrics metrics(plot_->font());
    const int pad = 8;
    const int textHeight = pad * 2 + metrics.lineSpacing() * static_cast<int>(lines.size());
    int width = plotSize.width();
    for (const QString& line : lines)
        width = std::max(width, metrics.horizontalAdvance(line) + 2 * pad);
    QImage image(QSize(width, plotSize.height() + textHeight) * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(QPointF(0, 0), plot_->render(plotSize, ratio));
    painter.setFont(plot_->font());
    painter.setPen(Qt::black);
    int y = plotSize.height() + pad;
    for (const QString& line : lines) {
        painter.drawText(QRect(pad, y, width - 2 * pad, metrics.lineSpacing()), Qt::AlignLeft | Qt::AlignVCenter,
                         line);
        y += metrics.lineSpacing();
    }
    return image;
}

void Desktop::copyAnnotated()
{
    if (!app::UserInput(*model_).refusal("SendToClipboard").empty())
        return;
    const QImage image = annotatedPlot();
    if (image.isNull())
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setImage(image);
}

QString WindowTitle(const QString& caption)
{
    if (caption.trimmed().isEmpty())
        return QStringLiteral("Orbilan");
    if (caption.contains(QLatin1String("Orbilan")))
        return caption;
    return caption + QStringLiteral(" - Orbilan");
}

Desktop::~Desktop()
{
    if (!ended_)
        saveSettings();
    repaint_.stop();
    mainBinder_.reset();
    manualBinder_.reset();
    delete bench_.data();
    delete tdr_.data();
    delete manual_.data();
    delete main_.data();
    model_.reset();
}

void Desktop::start()
{
    QSettings settings;
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1366, 768);
    // The bench stands beside the main window: the main window leaves it
    // room where the screen has some.
    const int benchWidth = bench_ ? bench_->sizeHint().width() + 16 : 0;
    // The form at its smallest with the menus and the status line: smaller,
    // the form would scroll.
    const QSize smallest = mainWindowLayout().size()
                           + QSize(0, main_->menuBar()->sizeHint().height() + main_->statusBar()->sizeHint().height());
    const bool restored = main_->restoreGeometry(settings.value(QStringLiteral("window/geometry")).toByteArray());
    if (!restored) {
        const int frameHeight = 32; // the window manager's title bar
        QSize size(1400, 860);
        size = size.boundedTo(QSize(screen.width() - 16 - benchWidth, screen.height() - frameHeight - 8));
        main_->resize(size.expandedTo(smallest).boundedTo(QSize(screen.width() - 8, screen.height() - frameHeight)));
        main_->move(screen.topLeft() + QPoint(4, 4));
    }
    main_->show();
    if (bench_) {
        const QRect mainFrame = main_->frameGeometry();
        const int x = mainFrame.right() + 8;
        if (x + bench_->sizeHint().width() <= screen.right()) {
            bench_->move(x, mainFrame.top());
            bench_->show();
        }
        // Otherwise there is no room beside it: Tools > Simulator Bench
        // (Ctrl+B) brings the bench up when it is wanted.
    }
    queue_.post([this] { model_->deliver([this] { model_->Form_Load(); }); });
}

void Desktop::saveSettings()
{
    if (!main_)
        return;
    QSettings settings;
    if (main_->isVisible())
        settings.setValue(QStringLiteral("window/geometry"), main_->saveGeometry());
}

void Desktop::refresh()
{
    if (mainBinder_)
        mainBinder_->refresh();
    if (menus_)
        menus_->update();
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
    saveSettings();
    ended_ = true;
    if (bench_)
        bench_->close();
    if (tdr_)
        tdr_->close();
    manual_->close();
    main_->close();
    QCoreApplication::quit();
}

} // namespace orbilan::gui
