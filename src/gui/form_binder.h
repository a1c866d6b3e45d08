// Gives a window model a face: one widget per control, made by the control's
// kind and placed by the form's layout table, kept in step with the model
// through its observer interface, and user actions delivered back to the
// model in the order they happened.
//
// Mirroring never feeds back: widgets are updated with their signals blocked,
// and a text the user typed is not echoed back into the field it came from.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include "app/user_input.h"
#include "gui/form_layout.h"
#include "ui/control.h"

namespace orbilan::display {
class Canvas;
}
namespace orbilan::app {
class MainWindow;
}

namespace orbilan::gui {

class ActionQueue;
class CanvasView;
class PlotView;

class FormBinder : public QObject, public ui::ControlObserver {
    Q_OBJECT
public:
    using CanvasLookup = std::function<const display::Canvas*(const std::string& name)>;
    // Makes the widget of a picture control itself (the plot view); nullptr
    // leaves it to the canvas lookup.
    using PictureFactory = std::function<QWidget*(const std::string& name, QWidget* host)>;

    // `model` runs every action (its deliver() stops a program end there);
    // `controls` is the window's control set (the main window's or the
    // manual window's); the widgets are made inside `form`.
    FormBinder(app::MainWindow& model, ui::ControlSet& controls, const FormLayout& layout, ActionQueue& queue,
               QWidget* form, CanvasLookup canvases, PictureFactory pictures = {});
    ~FormBinder() override;

    // Makes the widgets of controls that have none yet. Called once at the
    // start and again whenever the model has grown a control.
    void build();
    // Repaints the plot views whose canvas changed; picks up new controls.
    void refresh();

    // The widget of a control by key ("SweepButton(2)"); nullptr for none.
    QWidget* widget(const std::string& key) const;
    // Controls the layout table does not place (shown in a spare area).
    std::vector<std::string> unplaced() const;
    // A user's click on a control, queued like any other.
    void click(const std::string& key) { postClick(key); }
    // A click as the mouse makes it, for menus and shortcuts: the focus
    // moves to the control first (when it takes the focus), and a control
    // that refuses to be left keeps it and the click does not happen.
    void activate(const std::string& key);
    // The display type chosen as the user chooses it: the Display button,
    // then the entry in its list.
    void chooseDisplayType(const std::string& entry);


    // The window control's caption and visibility.
    std::function<void(const QString&)> onWindowTitle;
    std::function<void(bool)> onWindowVisible;

    void controlChanged(const ui::Control& control, ui::Property property) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Bound {
        ui::Control* control = nullptr;
        QWidget* widget = nullptr;   // none for the window itself and for unplaced frames
        const Placement* placement = nullptr;
        QRect rect;                  // in form coordinates
        std::string hostKey;         // the control whose widget holds this one ("" = the form)
        std::vector<std::string> hiddenAncestors; // model containers that are not Qt parents
    };

    Bound& bind(ui::Control& control);
    QWidget* makeWidget(Bound& b, QWidget* host);
    void connectWidget(Bound& b);
    void applyAll(Bound& b);
    void apply(Bound& b, ui::Property property);
    void applyCaption(Bound& b);
    void applyText(Bound& b);
    void applyList(Bound& b);
    void applyColours(Bound& b);
    void applyFocus(Bound& b);
    void updateReach();
    bool effectiveVisible(const Bound& b) const;
    bool effectiveEnabled(const Bound& b) const;
    void placeSpill(Bound& b);
    // Where a control lies in the form at its present size, and in its host.
    QRect placed(const Bound& b) const;
    void position(Bound& b);
    void relayout();

    // User actions, queued in order and delivered through UserInput.
    std::string writtenName(const std::string& key) const;
    void post(std::function<void()> action);
    void postClick(const std::string& key);
    void postChoose(const std::string& key, int row);
    void userTyped(const std::string& key, const QString& text);
    void storeSelection(const std::string& key, const QWidget* widget);
    void focusArrived(const std::string& key);
    bool keyPressed(const std::string& key, QWidget* widget, QKeyEvent* event);

    app::MainWindow& model_;
    ui::ControlSet& controls_;
    const FormLayout& layout_;
    ActionQueue& queue_;
    QPointer<QWidget> form_;
    QPointer<QWidget> spill_;
    CanvasLookup canvases_;
    PictureFactory pictures_;
    std::map<std::string, Bound> bound_;
    std::map<const QObject*, std::string> keyOf_;
    std::vector<CanvasView*> views_;
    std::vector<PlotView*> plots_;
    std::size_t boundCount_ = 0;
    int spilled_ = 0;

    app::UserInput input_;
    std::string echoKey_;          // the field whose typed text or cursor is being stored
    bool mirroringFocus_ = false;  // the binding itself moves the focus
    bool focusPending_ = false;    // the program moved the focus during an action
    void applyPendingFocus();
};

// "SweepButton(2)" as a Qt object name: "SweepButton_2".
QString objectNameFor(const std::string& name, int index);

} // namespace orbilan::gui
