#include "gui/menu_bar.h"

#include <QAction>
#include <QActionGroup>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

#include "app/main_window.h"
#include "app/user_input.h"
#include "display/scales.h"
#include "gui/form_binder.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

const std::vector<MenuEntry>& menuTable()
{
    static const std::vector<MenuEntry> table = {
        {"&File", "&Load Calibration...", "CalLoadButton", QKeySequence(Qt::CTRL | Qt::Key_O)},
        {"&File", "&Save Calibration...", "SaveCalButton", QKeySequence(Qt::CTRL | Qt::Key_S)},
        {"&File", "Save &Data...", "SaveDataButton", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S)},
        {"&File", "-", nullptr, {}},
        {"&File", "&Print...", "PrintMe", QKeySequence(Qt::CTRL | Qt::Key_P)},
        {"&File", "&Copy Plot", "SendToClipboard", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C)},
        {"&File", "-", nullptr, {}},
        {"&File", "&Quit", "End_Button", QKeySequence(Qt::CTRL | Qt::Key_Q)},
        {"&Sweep", "Set &Sweep...", "SetSweepButton", {}},
        {"&Sweep", "&Calibrate", "CalibrateButton", {}},
        {"&Sweep", "Calibration &Info", "CalInfoButton", {}},
        {"&Sweep", "Group Delay &Aperture...", "GDwindowButton", {}},
        {"&Sweep", "-", nullptr, {}},
        {"&Sweep", "Clear and &Re-start", "SweepButton(0)", QKeySequence(Qt::CTRL | Qt::Key_F5)},
        {"&Sweep", "S&tart / Resume", "SweepButton(1)", QKeySequence(Qt::Key_F5)},
        {"&Sweep", "&Pause / Stop", "SweepButton(2)", QKeySequence(Qt::SHIFT | Qt::Key_F5)},
        {"&Sweep", "Single Sweep, then Sto&p", "SweepButton(3)", QKeySequence(Qt::Key_F6)},
        {"&Display", "&Autoscale", "ScaleControl", {}},
        {"&Display", "&Markers", "MarkerOn", QKeySequence(Qt::CTRL | Qt::Key_M)},
        {"&Display", "S&tore Trace", "TraceSave", {}},
        {"&Display", "Show / &Hide Stored Trace", "DisplayMemory", {}},
        {"&Display", "C&lear", "ClearButton", {}},
        {"&Tools", "&VNA Test", "ManualOption", {}},
        {"&Help", "&About Orbilan", "OrbilanButton", {}},
    };
    return table;
}

MenuBar::MenuBar(QMainWindow& window, app::MainWindow& model, FormBinder& binder)
    : QObject(&window), window_(window), model_(model), binder_(binder)
{
    for (const char* title : {"&File", "&Sweep", "&Display", "&Tools", "&Help"})
        menu(QString::fromUtf8(title));
    // The display types come first in their menu: they change with the mode.
    displayTypes_ = menu(QStringLiteral("&Display"));
    displayGroup_ = new QActionGroup(this);
    displayGroup_->setExclusive(true);
    displayTypes_->addSeparator();

    for (const MenuEntry& e : menuTable()) {
        if (QString::fromUtf8(e.text) == QLatin1String("-"))
            menu(QString::fromUtf8(e.menu))->addSeparator();
        else if (e.control)
            addControlEntry(QString::fromUtf8(e.menu), QString::fromUtf8(e.text), e.control, e.shortcut);
    }
    model_.controls().addObserver(this);
    updateDisplayTypes();
    update();
}

MenuBar::~MenuBar() { model_.controls().removeObserver(this); }

QMenu* MenuBar::menu(const QString& title)
{
    for (QMenu* m : menus_)
        if (m->title() == title)
            return m;
    QMenu* m = window_.menuBar()->addMenu(title);
    m->setObjectName(QStringLiteral("menu") + QString(title).remove(QLatin1Char('&')));
    // Opening a menu shows the entries as the window is now.
    connect(m, &QMenu::aboutToShow, this, [this] {
        dirty_ = true;
        update();
    });
    menus_.push_back(m);
    return m;
}

QAction* MenuBar::addControlEntry(const QString& menuTitle, const QString& text, const std::string& control,
                                  const QKeySequence& shortcut)
{
    QAction* a = menu(menuTitle)->addAction(text);
    a->setObjectName(QStringLiteral("action_") + qs(control).replace(QLatin1Char('('), QLatin1Char('_')).remove(QLatin1Char(')')));
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [this, control] { binder_.activate(control); });
    entries_.push_back({a, control, {}});
    watched_.clear();
    dirty_ = true;
    return a;
}

QAction* MenuBar::addDesktopEntry(const QString& menuTitle, const QString& text, const QKeySequence& shortcut,
                                  std::function<void()> action, std::function<bool()> enabled)
{
    QAction* a = menu(menuTitle)->addAction(text);
    if (!shortcut.isEmpty())
        a->setShortcut(shortcut);
    connect(a, &QAction::triggered, this, [action = std::move(action)] { action(); });
    entries_.push_back({a, {}, std::move(enabled)});
    dirty_ = true;
    return a;
}

QAction* MenuBar::action(const std::string& controlOrText) const
{
    for (const Bound& b : entries_)
        if (b.action && (b.control == controlOrText || ss(b.action->text()) == controlOrText))
            return b.action;
    return nullptr;
}

void MenuBar::controlChanged(const ui::Control& control, ui::Property property)
{
    // A sweep changes captions at every point: only the controls the menus
    // follow, and the frames holding them, make the entries worth a look.
    if (dirty_ || (property != ui::Property::Visible && property != ui::Property::Enabled
                   && property != ui::Property::Caption))
        return;
    if (watched_.empty())
        for (const Bound& b : entries_)
            for (const ui::Control* c = model_.controls().findByKey(b.control); c;
                 c = c->parent().empty() ? nullptr : model_.controls().findByKey(c->parent()))
                watched_.insert(c->key());
    if (watched_.count(control.key()) || control.key() == "DisplayButton" || control.key() == "DisplayLabel"
        || control.key() == model_.controls().windowName())
        dirty_ = true;
}

void MenuBar::updateDisplayTypes()
{
    const std::string list = display::DisplayList(model_.cal.MeasMode);
    if (list != displayList_) {
        displayList_ = list;
        for (QAction* old : displayGroup_->actions()) {
            displayGroup_->removeAction(old);
            delete old;
        }
        QAction* before = displayTypes_->actions().isEmpty() ? nullptr : displayTypes_->actions().first();
        int position = 0;
        for (const std::string& entry : display::SplitList(list)) {
            std::string shown = entry;
            if (!shown.empty() && shown.back() == ',')
                shown.pop_back();
            auto* a = new QAction(qs(shown), displayTypes_);
            a->setCheckable(true);
            a->setData(position++);
            a->setObjectName(QStringLiteral("displayType_") + QString::number(a->data().toInt()));
            connect(a, &QAction::triggered, this, [this, entry] { binder_.chooseDisplayType(entry); });
            displayGroup_->addAction(a);
            displayTypes_->insertAction(before, a);
        }
    }
    const app::UserInput input(model_);
    const bool reachable = input.refusal("DisplayButton").empty();
    const int position = model_.disp.DisplayCode - model_.cal.MeasMode * 10;
    for (QAction* a : displayGroup_->actions()) {
        a->setEnabled(reachable);
        a->setChecked(a->data().toInt() == position);
    }
}

void MenuBar::update()
{
    if (!dirty_)
        return;
    dirty_ = false;
    const app::UserInput input(model_);
    for (Bound& b : entries_) {
        if (!b.action)
            continue;
        if (b.control.empty()) {
            b.action->setEnabled(!b.enabled || b.enabled());
            continue;
        }
        const app::UserInput::Target t = input.resolve(b.control);
        const bool reachable = t.control && t.control->reachable();
        b.action->setVisible(reachable);
        b.action->setEnabled(input.refusal(b.control).empty());
    }
    // Entries whose text is the control's own state say what a click does now.
    auto follow = [this](const char* control, const char* name) {
        if (QAction* a = action(control))
            a->setText(qs(name));
    };
    const ui::ControlSet& c = model_.controls();
    follow("ScaleControl", c.at("ScaleControl").caption() == "Max Range" ? "Full &Range" : "&Autoscale");
    follow("MarkerOn", c.at("MarkerOn").caption() == "Mkr Off" ? "&Markers Off" : "&Markers On");
    follow("DisplayMemory", c.at("DisplayMemory").caption() == "Hide" ? "&Hide Stored Trace" : "Show Stored &Trace");
    updateDisplayTypes();
}

} // namespace orbilan::gui
