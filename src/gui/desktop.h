// The desktop program put together: the Qt platform, the window model, its
// main and manual windows, and (on the simulated instrument) the bench window.
#pragma once

#include <memory>

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include "app/main_window.h"
#include "gui/action_queue.h"
#include "gui/bench_window.h"
#include "gui/help_window.h"
#include "gui/menu_bar.h"
#include "gui/plot_view.h"
#include "gui/qt_platform.h"
#include "gui/tdr_window.h"
#include "gui/trace_tools_ui.h"

namespace orbilan::gui {

class FormBinder;

// The main window's title: the instrument's caption, naming the program.
QString WindowTitle(const QString& caption);

class Desktop;

// A top-level window showing one window model's form.
class FormWindow : public QMainWindow {
    Q_OBJECT
public:
    FormWindow(Desktop& desktop, bool mainWindow);
    QWidget* form() const { return form_; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    Desktop& desktop_;
    bool main_;
    QWidget* form_;
};

class Desktop : public QObject {
    Q_OBJECT
public:
    // `dialogStandIn`, when given, answers every dialog and takes the printed
    // page instead of the screen and the printer (tests, scripted runs).
    explicit Desktop(app::ProgramOptions options, ui::Platform* dialogStandIn = nullptr);
    ~Desktop() override;

    // Shows the main window and runs the program's start-up from the event loop.
    void start();

    app::MainWindow& model() { return *model_; }
    QtPlatform& platform() { return platform_; }
    ActionQueue& queue() { return queue_; }
    FormWindow& mainWindow() { return *main_; }
    FormWindow& manualWindow() { return *manual_; }
    FormBinder& mainBinder() { return *mainBinder_; }
    FormBinder& manualBinder() { return *manualBinder_; }
    BenchWindow* bench() { return bench_; }
    MenuBar& menus() { return *menus_; }
    TraceToolsUi& traceTools() { return *traceTools_; }
    // Shows the bench again (it only hides when closed).
    void showBench();
    void showHelp();
    HelpWindow* helpWindow() { return help_; }
    // The plot as shown, with the sweep settings and marker readouts under it.
    QImage annotatedPlot();
    void copyAnnotated();
    PlotView* plotView() { return plot_; }
    // The time-domain view, made at its first showing.
    void showTdr();
    TdrWindow* tdrWindow() { return tdr_; }
    bool ended() const { return ended_; }

    // Repaints the plot views and picks up controls the model has added.
    void refresh();

private:
    friend class FormWindow;
    void closeRequested(bool mainWindow);
    void buildMenus();
    // The window's place and size, kept for the next run.
    void saveSettings();
    void programEnded();

    QtPlatform platform_;
    std::unique_ptr<ui::Platform> modelPlatform_; // the platform as the model sees it
    ActionQueue queue_;
    std::unique_ptr<app::MainWindow> model_;
    QPointer<FormWindow> main_;
    QPointer<FormWindow> manual_;
    std::unique_ptr<FormBinder> mainBinder_;
    std::unique_ptr<FormBinder> manualBinder_;
    QPointer<BenchWindow> bench_;
    QPointer<PlotView> plot_;
    QPointer<MenuBar> menus_;
    QPointer<TraceToolsUi> traceTools_;
    QPointer<HelpWindow> help_;
    QPointer<TdrWindow> tdr_;
    QTimer repaint_;
    bool ended_ = false;
};

} // namespace orbilan::gui
