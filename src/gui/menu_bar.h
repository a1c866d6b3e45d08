// The main window's menu bar. Every entry that stands for a control of the
// window model is a click on that control through UserInput, exactly as a
// mouse click on its button (the focus moves to it first, and a field that
// refuses to be left keeps the focus and swallows the click); the entry is
// visible only while the control is, and enabled only while a user could
// click it. Entries of the desktop's own (help, the bench, an annotated
// copy) carry an action and, when they need one, a rule for being enabled.
//
// Features add their entries in one place: menuTable() for the program's
// own, addControlEntry() / addDesktopEntry() for those that come later.
#pragma once

#include <functional>
#include <set>
#include <string>
#include <vector>

#include <QKeySequence>
#include <QObject>
#include <QPointer>
#include <QString>

#include "ui/control.h"

class QAction;
class QActionGroup;
class QMainWindow;
class QMenu;

namespace orbilan::app {
class MainWindow;
}

namespace orbilan::gui {

class FormBinder;

struct MenuEntry {
    const char* menu;    // "&File"
    const char* text;    // "&Load Calibration..."; "-" is a separator
    const char* control; // the control it clicks, nullptr for a desktop entry
    QKeySequence shortcut;
};

// The program's own entries, in menu order.
const std::vector<MenuEntry>& menuTable();

class MenuBar : public QObject, public ui::ControlObserver {
    Q_OBJECT
public:
    MenuBar(QMainWindow& window, app::MainWindow& model, FormBinder& binder);
    ~MenuBar() override;

    QMenu* menu(const QString& title);
    QAction* addControlEntry(const QString& menu, const QString& text, const std::string& control,
                             const QKeySequence& shortcut = {});
    QAction* addDesktopEntry(const QString& menu, const QString& text, const QKeySequence& shortcut,
                             std::function<void()> action, std::function<bool()> enabled = {});
    // The action of a table entry by its control ("CalLoadButton"), or by text.
    QAction* action(const std::string& controlOrText) const;

    // Brings every entry into line with its control (and the display types
    // into line with the measurement mode).
    void update();

    void controlChanged(const ui::Control& control, ui::Property property) override;

private:
    struct Bound {
        QPointer<QAction> action;
        std::string control;
        std::function<bool()> enabled;
    };
    void updateDisplayTypes();

    QMainWindow& window_;
    app::MainWindow& model_;
    FormBinder& binder_;
    std::vector<Bound> entries_;
    std::vector<QMenu*> menus_;
    QMenu* displayTypes_ = nullptr;
    QActionGroup* displayGroup_ = nullptr;
    std::string displayList_;
    std::set<std::string> watched_; // the entries' controls and their frames
    bool dirty_ = true;
};

} // namespace orbilan::gui
