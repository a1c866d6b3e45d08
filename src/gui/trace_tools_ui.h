// The trace tools in the desktop program: their entries in the menu bar
// (a reference trace and trace math beside Store and Show, the searches
// beside the markers, the limit lines under Tools), the limit table editor,
// the limit lines drawn on the plot, and the limit lamp, the trace math in
// force and the last search's result in the status bar. Every action goes
// through UserInput to the tools' own controls ("TraceTools.LoadReference"),
// exactly as a script's would.
#pragma once

#include <string>
#include <vector>

#include <QDialog>
#include <QObject>
#include <QPointer>

#include "analysis/limits.h"
#include "display/plot_scene.h"
#include "display/surface.h"
#include "ui/control.h"

class QAction;
class QActionGroup;
class QLabel;
class QMainWindow;
class QMenu;
class QTableWidget;

namespace orbilan::app {
class MainWindow;
}

namespace orbilan::gui {

class ActionQueue;
class MenuBar;
class PlotView;

// The limit lines as a table: one segment a row (upper or lower, quantity,
// from, to, value, value at "to"). Apply hands the rows to the tools as the
// lines of a limit file, so a bad row is named by its number.
class LimitTableDialog : public QDialog {
    Q_OBJECT
public:
    LimitTableDialog(app::MainWindow& model, ActionQueue& queue, QWidget* parent);

    // The rows as the lines of a limit file (an empty row an empty line).
    std::string tableText() const;
    // Fills the table from the lines of a limit file.
    void setTableText(const std::string& text);
    QTableWidget* table() const { return table_; }

private:
    void addRow(const std::vector<std::string>& fields);
    // Applies the table; false (the window said why) when a row is bad.
    void apply();
    void post(std::function<void()> action);

    app::MainWindow& model_;
    ActionQueue& queue_;
    QTableWidget* table_;
};

class TraceToolsUi : public QObject, public ui::ControlObserver {
    Q_OBJECT
public:
    TraceToolsUi(QMainWindow& window, app::MainWindow& model, MenuBar& menus, ActionQueue& queue, PlotView* plot);
    ~TraceToolsUi() override;

    void controlChanged(const ui::Control& control, ui::Property property) override;

    LimitTableDialog* limitDialog() { return dialog_; }
    void showLimitDialog();
    // The status bar's labels.
    QLabel* limitLamp() const { return lamp_; }
    QLabel* searchResult() const { return search_; }
    QLabel* mathStatus() const { return math_; }

    // Draws the limit lines of the display on the plot.
    static void DrawLimits(display::Surface& surface, const display::PlotScene& scene,
                           const std::vector<analysis::LimitSegment>& y1,
                           const std::vector<analysis::LimitSegment>& y2);

private:
    QAction* entry(QMenu* menu, QAction* before, const QString& text, const std::string& control);
    void click(const std::string& control);
    void showState();

    QMainWindow& window_;
    app::MainWindow& model_;
    MenuBar& menus_;
    ActionQueue& queue_;
    QPointer<PlotView> plot_;
    QActionGroup* mathGroup_ = nullptr;
    std::vector<QAction*> mathEntries_;
    QAction* bandwidth_ = nullptr;
    QAction* swrBand_ = nullptr;
    QLabel* lamp_ = nullptr;
    QLabel* search_ = nullptr;
    QLabel* math_ = nullptr;
    QPointer<LimitTableDialog> dialog_;
};

} // namespace orbilan::gui
