#include "gui/form_binder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

#include "app/main_window.h"
#include "gui/action_queue.h"
#include "gui/canvas_view.h"
#include "gui/plot_view.h"
#include "gui/qt_text.h"
#include "gui/widgets.h"

namespace orbilan::gui {

namespace {

using ui::ControlKind;
using ui::Property;

// The program's "no colour chosen" grey: such controls keep the desktop's own colours.
constexpr ui::Rgb DefaultBack = 0xC0C0C0;

// Spare area for controls the layout table does not place.
constexpr int SpillColumns = 6;
constexpr int SpillCellWidth = 196;
constexpr int SpillCellHeight = 28;

QColor toColour(ui::Rgb rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

Qt::Alignment qtAlign(Align align)
{
    switch (align) {
    case Align::Left: return Qt::AlignLeft | Qt::AlignVCenter;
    case Align::Centre: return Qt::AlignCenter;
    case Align::Right: return Qt::AlignRight | Qt::AlignVCenter;
    }
    return Qt::AlignLeft | Qt::AlignVCenter;
}

bool isDisplayLook(const Placement* p) { return p && (p->look == Look::Display || p->look == Look::DisplayLarge); }

// The default text colour of the single-frequency read-outs, until the program sets one.
QColor displayInk(const std::string& name)
{
    if (name == "SingleAlabel")
        return QColor(255, 255, 0);
    if (name == "SingleBlabel")
        return QColor(0, 255, 255);
    if (name == "SingleFrequencyLabel")
        return QColor(0, 255, 0);
    return QColor(0xE0, 0xE0, 0xE0);
}

// The character a key press types, as the program's key filters see it:
// Enter 13, Backspace 8, Escape 27; -1 for keys that type nothing.
int typedCharacter(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete: return -1;
    default: break;
    }
    const QString text = event->text();
    if (text.size() != 1)
        return -1;
    return text[0].unicode();
}

QLineEdit* lineEditOf(QWidget* widget)
{
    if (auto* edit = qobject_cast<QLineEdit*>(widget))
        return edit;
    if (auto* combo = qobject_cast<QComboBox*>(widget))
        return combo->lineEdit();
    return nullptr;
}

// Positions in the model's texts count UTF-8 bytes, in Qt's UTF-16 units.
int utf8Offset(const QString& text, qsizetype position) { return static_cast<int>(text.left(position).toUtf8().size()); }
int utf16Offset(const std::string& text, int bytes)
{
    const auto n = static_cast<std::size_t>(std::clamp(bytes, 0, static_cast<int>(text.size())));
    return static_cast<int>(QString::fromUtf8(text.data(), static_cast<qsizetype>(n)).size());
}

} // namespace

QString objectNameFor(const std::string& name, int index)
{
    return index < 0 ? qs(name) : qs(name) + QLatin1Char('_') + QString::number(index);
}

FormBinder::FormBinder(app::MainWindow& model, ui::ControlSet& controls, const FormLayout& layout, ActionQueue& queue,
                       QWidget* form, CanvasLookup canvases, PictureFactory pictures)
    : model_(model), controls_(controls), layout_(layout), queue_(queue), form_(form), canvases_(std::move(canvases)),
      pictures_(std::move(pictures)), input_(model)
{
    // The layout's size is the smallest; a larger form spreads the controls
    // by their anchors.
    form_->setMinimumSize(layout_.size());
    form_->installEventFilter(this);
    spill_ = new QWidget(form_);
    spill_->setObjectName(QStringLiteral("unplacedControls"));
    spill_->hide();
    controls_.addObserver(this);
}

FormBinder::~FormBinder() { controls_.removeObserver(this); }

QWidget* FormBinder::widget(const std::string& key) const
{
    auto it = bound_.find(key);
    return it == bound_.end() ? nullptr : it->second.widget;
}

std::vector<std::string> FormBinder::unplaced() const
{
    std::vector<std::string> keys;
    for (const auto& [key, b] : bound_)
        if (b.control->kind() != ControlKind::Window && !b.placement)
            keys.push_back(key);
    return keys;
}

void FormBinder::build()
{
    // Copy: binding a control may not add controls, but the model could.
    const std::vector<ui::Control*> all = controls_.all();
    for (ui::Control* control : all)
        bind(*control);
    boundCount_ = all.size();
    // Frames lie beneath the controls, and a frame beneath the smaller ones
    // it shares its place with (the plot options over the plot's frame).
    std::vector<Bound*> frames;
    for (auto& [key, b] : bound_)
        if (b.widget && b.control->kind() == ControlKind::Frame)
            frames.push_back(&b);
    std::stable_sort(frames.begin(), frames.end(), [](const Bound* x, const Bound* y) {
        return x->rect.width() * x->rect.height() < y->rect.width() * y->rect.height();
    });
    for (Bound* b : frames)
        b->widget->lower();
    // What is shown in place of another stays on top of it.
    for (Bound* b : frames)
        if (b->placement && b->placement->overlay && !b->widget->isHidden())
            b->widget->raise();
    updateReach();
}

void FormBinder::applyPendingFocus()
{
    if (!focusPending_ || queue_.modelActive())
        return;
    focusPending_ = false;
    if (auto it = bound_.find(controls_.focused()); it != bound_.end())
        applyFocus(it->second);
}

void FormBinder::refresh()
{
    applyPendingFocus();
    if (controls_.all().size() != boundCount_)
        build();
    for (CanvasView* view : views_)
        view->refresh();
    for (PlotView* plot : plots_)
        plot->refresh();
}

FormBinder::Bound& FormBinder::bind(ui::Control& control)
{
    const std::string key = control.key();
    if (auto it = bound_.find(key); it != bound_.end())
        return it->second;
    Bound& b = bound_[key];
    b.control = &control;
    if (control.kind() == ControlKind::Window) {
        applyAll(b);
        return b;
    }
    b.placement = layout_.find(control.name(), control.index());
    // A frame without a place only groups its controls; each of them finds a
    // host further up.
    if (!b.placement && control.kind() == ControlKind::Frame)
        return b;

    QWidget* host = form_;
    if (b.placement) {
        b.rect = b.placement->rect;
        if (control.kind() == ControlKind::ListBox && b.placement->openHeight > 0)
            b.rect.setHeight(b.placement->openHeight);
        // The nearest container of the model that also encloses the control on
        // screen holds it; containers passed over still hide it (below).
        std::string parent = control.parent();
        for (int depth = 0; !parent.empty() && depth < 32; ++depth) {
            ui::Control* container = controls_.findByKey(parent);
            if (!container)
                break;
            Bound& c = bind(*container);
            if (c.widget && c.rect.contains(b.rect)) {
                host = c.widget;
                b.hostKey = parent;
                break;
            }
            parent = container->parent();
        }
    } else {
        host = spill_;
    }
    for (std::string parent = control.parent(); !parent.empty() && parent != b.hostKey;) {
        const ui::Control* container = controls_.findByKey(parent);
        if (!container || b.hiddenAncestors.size() >= 32)
            break;
        if (container->kind() != ControlKind::Window)
            b.hiddenAncestors.push_back(parent);
        parent = container->parent();
    }

    b.widget = makeWidget(b, host);
    // Containers lie beneath the controls they share the window with.
    if (control.kind() == ControlKind::Frame)
        b.widget->lower();
    b.widget->setObjectName(objectNameFor(control.name(), control.index()));
    if (b.placement)
        position(b);
    else
        placeSpill(b);
    keyOf_[b.widget] = key;
    if (auto* combo = qobject_cast<QComboBox*>(b.widget); combo && combo->lineEdit())
        keyOf_[combo->lineEdit()] = key;
    connectWidget(b);
    applyAll(b);
    b.widget->setVisible(effectiveVisible(b));
    return b;
}

QWidget* FormBinder::makeWidget(Bound& b, QWidget* host)
{
    const ui::Control& control = *b.control;
    const Placement* p = b.placement;
    QWidget* w = nullptr;
    switch (control.kind()) {
    case ControlKind::Window:
    case ControlKind::Frame:
        w = new FrameBox(host);
        break;
    case ControlKind::Label: {
        auto* label = new ClickLabel(host);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(qtAlign(p ? p->align : Align::Left));
        w = label;
        break;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(host);
        button->setAutoDefault(false);
        w = button;
        break;
    }
    case ControlKind::Option: {
        auto* option = new QRadioButton(host);
        // The model keeps the options of a group exclusive; Qt must not second-guess it.
        option->setAutoExclusive(false);
        w = option;
        break;
    }
    case ControlKind::CheckBox:
        w = new QCheckBox(host);
        break;
    case ControlKind::TextBox:
        w = new QLineEdit(host);
        break;
    case ControlKind::ListBox:
        w = new QListWidget(host);
        break;
    case ControlKind::EditableList: {
        auto* combo = new QComboBox(host);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        // Qt picks the entry matching the typed text whenever the field loses
        // the focus (a drop-down opening included); the program applies a
        // list's text itself when it is left, and a choice is a click only.
        QObject::disconnect(combo->lineEdit(), &QLineEdit::editingFinished, nullptr, nullptr);
        combo->setMaxVisibleItems(12);
        w = combo;
        break;
    }
    case ControlKind::Lamp:
        w = new Lamp(!(p && p->look == Look::Swatch), host);
        break;
    case ControlKind::Picture:
        if (QWidget* made = pictures_ ? pictures_(control.name(), host) : nullptr) {
            if (auto* plot = qobject_cast<PlotView*>(made))
                plots_.push_back(plot);
            w = made;
        } else if (const display::Canvas* canvas = canvases_ ? canvases_(control.name()) : nullptr) {
            auto* view = new CanvasView(*canvas, host);
            views_.push_back(view);
            w = view;
        } else {
            w = new FrameBox(host);
        }
        break;
    }

    QFont font = w->font();
    if (p && p->look == Look::Heading)
        font.setBold(true);
    if (p && p->look == Look::Small)
        font.setPointSizeF(font.pointSizeF() - 1);
    if (p && p->look == Look::DisplayLarge) {
        font.setPointSizeF(font.pointSizeF() * 2.2);
        font.setBold(true);
    }
    w->setFont(font);
    if (isDisplayLook(p)) {
        QPalette palette = w->palette();
        palette.setColor(QPalette::Window, Qt::black);
        palette.setColor(QPalette::WindowText, displayInk(control.name()));
        w->setPalette(palette);
        w->setAutoFillBackground(true);
    }
    if (control.kind() == ControlKind::Label || control.kind() == ControlKind::Frame
        || control.kind() == ControlKind::Lamp || control.kind() == ControlKind::Picture)
        w->setFocusPolicy(Qt::NoFocus);
    return w;
}

QRect FormBinder::placed(const Bound& b) const
{
    Placement p = *b.placement;
    p.rect = b.rect;
    return p.placedIn(layout_.size(), form_->size().expandedTo(layout_.size()));
}

void FormBinder::position(Bound& b)
{
    if (!b.widget || !b.placement)
        return;
    QRect r = placed(b);
    if (!b.hostKey.empty())
        if (auto it = bound_.find(b.hostKey); it != bound_.end() && it->second.placement)
            r.translate(-placed(it->second).topLeft());
    b.widget->setGeometry(r);
}

void FormBinder::relayout()
{
    for (auto& [key, b] : bound_)
        position(b);
}

void FormBinder::placeSpill(Bound& b)
{
    const int n = spilled_++;
    b.widget->setGeometry((n % SpillColumns) * SpillCellWidth, (n / SpillColumns) * SpillCellHeight,
                          SpillCellWidth - 4, SpillCellHeight - 2);
    const int rows = n / SpillColumns + 1;
    spill_->setGeometry(8, layout_.size().height(), SpillColumns * SpillCellWidth, rows * SpillCellHeight);
    spill_->show();
    form_->setFixedSize(layout_.size().width(), layout_.size().height() + rows * SpillCellHeight + 8);
    qWarning("orbilan: control %s has no place in the window layout", b.control->key().c_str());
}

void FormBinder::connectWidget(Bound& b)
{
    const std::string key = b.control->key();
    QWidget* w = b.widget;
    w->installEventFilter(this);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->lineEdit()) {
            combo->lineEdit()->installEventFilter(this);
            connect(combo->lineEdit(), &QLineEdit::textEdited, this,
                    [this, key](const QString& text) { userTyped(key, text); });
        }
        connect(combo, &QComboBox::activated, this, [this, key](int row) { postChoose(key, row); });
    } else if (auto* list = qobject_cast<QListWidget*>(w)) {
        connect(list, &QListWidget::itemClicked, this,
                [this, key, list](QListWidgetItem* item) { postChoose(key, list->row(item)); });
    } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        connect(edit, &QLineEdit::textEdited, this, [this, key](const QString& text) { userTyped(key, text); });
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        connect(button, &QAbstractButton::clicked, this, [this, key, button] {
            // Options and check boxes change only when the model says so.
            if (button->isCheckable()) {
                if (const ui::Control* c = controls_.findByKey(key)) {
                    const QSignalBlocker block(button);
                    button->setChecked(c->value() != 0);
                }
            }
            postClick(key);
        });
    } else if (auto* label = qobject_cast<ClickLabel*>(w)) {
        connect(label, &ClickLabel::clicked, this, [this, key] { postClick(key); });
    } else if (auto* frame = qobject_cast<FrameBox*>(w)) {
        connect(frame, &FrameBox::clicked, this, [this, key] { postClick(key); });
    } else if (auto* lamp = qobject_cast<Lamp*>(w)) {
        connect(lamp, &Lamp::clicked, this, [this, key] { postClick(key); });
    } else if (auto* view = qobject_cast<CanvasView*>(w)) {
        connect(view, &CanvasView::clicked, this, [this, key] { postClick(key); });
    } else if (auto* plot = qobject_cast<PlotView*>(w)) {
        connect(plot, &PlotView::clicked, this, [this, key] { postClick(key); });
    }
}

// ---------------------------------------------------------------- mirroring

void FormBinder::controlChanged(const ui::Control& control, ui::Property property)
{
    auto it = bound_.find(control.key());
    if (it == bound_.end()) {
        build();
        it = bound_.find(control.key());
        if (it == bound_.end())
            return;
    }
    apply(it->second, property);
}

void FormBinder::applyAll(Bound& b)
{
    for (Property p : {Property::Caption, Property::Text, Property::ToolTip, Property::List, Property::ListIndex,
                       Property::Value, Property::BackColour, Property::ForeColour, Property::Bold,
                       Property::TabStop})
        apply(b, p);
}

void FormBinder::apply(Bound& b, ui::Property property)
{
    const ui::Control& c = *b.control;
    if (c.kind() == ControlKind::Window) {
        if (property == Property::Caption && onWindowTitle)
            onWindowTitle(shownText(c.caption()));
        if (property == Property::Visible && onWindowVisible)
            onWindowVisible(c.visible());
        return;
    }
    if (property == Property::Visible || property == Property::Enabled) {
        updateReach();
        return;
    }
    if (!b.widget)
        return;
    QWidget* w = b.widget;
    const QSignalBlocker block(w);
    switch (property) {
    case Property::Caption:
        applyCaption(b);
        break;
    case Property::Text:
        applyText(b);
        break;
    case Property::ToolTip:
        w->setToolTip(shownText(c.toolTip()));
        if (b.placement && b.placement->look == Look::Padlock)
            applyCaption(b);
        break;
    case Property::Value:
        if (auto* button = qobject_cast<QAbstractButton*>(w); button && button->isCheckable())
            button->setChecked(c.value() != 0);
        break;
    case Property::List:
    case Property::ListIndex:
        applyList(b);
        break;
    case Property::BackColour:
    case Property::ForeColour:
        applyColours(b);
        break;
    case Property::Bold: {
        QFont font = w->font();
        font.setBold(c.bold() || (b.placement && (b.placement->look == Look::Heading
                                                   || b.placement->look == Look::DisplayLarge)));
        w->setFont(font);
        break;
    }
    case Property::Selection:
        if (QLineEdit* edit = lineEditOf(w); edit && c.key() != echoKey_) {
            const int start = utf16Offset(c.text(), c.selStart());
            const int end = utf16Offset(c.text(), c.selStart() + std::max(0, c.selLength()));
            if (end > start)
                edit->setSelection(start, end - start);
            else
                edit->setCursorPosition(start);
        }
        break;
    case Property::TabStop:
        if (w->focusPolicy() != Qt::NoFocus)
            w->setFocusPolicy(c.tabStop() ? Qt::StrongFocus : Qt::ClickFocus);
        break;
    case Property::Focus:
        // While the program is handling an action it may move the focus on
        // and on (the end field, left, sends it to OK, and the click goes on
        // to Cancel). Only where it ends up is shown, once the action is
        // done: a button the user holds the mouse on must not lose the
        // focus in between, or Qt forgets the press and the click with it.
        if (queue_.modelActive())
            focusPending_ = true;
        else
            applyFocus(b);
        break;
    case Property::Visible:
    case Property::Enabled:
        break;
    }
}

void FormBinder::applyCaption(Bound& b)
{
    const ui::Control& c = *b.control;
    QWidget* w = b.widget;
    const Placement* p = b.placement;
    if (auto* frame = qobject_cast<FrameBox*>(w)) {
        frame->setTitle(shownText(c.caption()));
    } else if (auto* label = qobject_cast<ClickLabel*>(w)) {
        if (p && p->look == Look::Padlock)
            label->setPixmap(padlockPixmap(model_.sweep.FreqUnitsLocked, std::min(w->width(), w->height()),
                                           w->devicePixelRatioF()));
        else
            label->setText(p && p->glyph ? QString::fromUtf8(p->glyph) : shownText(c.caption()));
    } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        button->setText(p && p->glyph ? QString::fromUtf8(p->glyph) : buttonText(c.caption()));
    }
}

void FormBinder::applyText(Bound& b)
{
    // The text the user is typing is already in the field.
    if (b.control->key() == echoKey_)
        return;
    const QString text = qs(b.control->text());
    if (auto* edit = qobject_cast<QLineEdit*>(b.widget)) {
        if (edit->text() != text)
            edit->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(b.widget)) {
        if (combo->currentText() != text)
            combo->setEditText(text);
    } else if (auto* list = qobject_cast<QListWidget*>(b.widget)) {
        const auto found = list->findItems(text, Qt::MatchExactly);
        if (!found.isEmpty())
            list->setCurrentItem(found.first());
    }
}

void FormBinder::applyList(Bound& b)
{
    const ui::Control& c = *b.control;
    QStringList items;
    for (const std::string& item : c.list())
        items << shownText(item);
    if (auto* combo = qobject_cast<QComboBox*>(b.widget)) {
        QStringList present;
        for (int i = 0; i < combo->count(); ++i)
            present << combo->itemText(i);
        if (present != items) {
            combo->clear();
            combo->addItems(items);
        }
        if (c.listIndex() >= 0 && combo->currentIndex() != c.listIndex())
            combo->setCurrentIndex(c.listIndex());
        // An editable list shows the model's text, whatever entry is current.
        if (combo->currentText() != qs(c.text()))
            combo->setEditText(qs(c.text()));
    } else if (auto* list = qobject_cast<QListWidget*>(b.widget)) {
        QStringList present;
        for (int i = 0; i < list->count(); ++i)
            present << list->item(i)->text();
        if (present != items) {
            list->clear();
            list->addItems(items);
        }
        list->setCurrentRow(c.listIndex());
    }
}

void FormBinder::applyColours(Bound& b)
{
    const ui::Control& c = *b.control;
    QWidget* w = b.widget;
    if (auto* lamp = qobject_cast<Lamp*>(w)) {
        lamp->setColour(toColour(c.backColour()));
        return;
    }
    const bool display = isDisplayLook(b.placement);
    QPalette palette = w->palette();
    if (c.backColour() != DefaultBack) {
        palette.setColor(QPalette::Window, toColour(c.backColour()));
        palette.setColor(QPalette::Base, toColour(c.backColour()));
        w->setAutoFillBackground(true);
    } else if (display) {
        palette.setColor(QPalette::Window, Qt::black);
    } else {
        const QPalette standard = QApplication::palette(w);
        palette.setColor(QPalette::Window, standard.color(QPalette::Window));
        palette.setColor(QPalette::Base, standard.color(QPalette::Base));
        w->setAutoFillBackground(qobject_cast<FrameBox*>(w) != nullptr);
    }
    if (c.foreColour() != 0) {
        palette.setColor(QPalette::WindowText, toColour(c.foreColour()));
        palette.setColor(QPalette::Text, toColour(c.foreColour()));
    } else if (display) {
        palette.setColor(QPalette::WindowText, displayInk(c.name()));
    } else {
        const QPalette standard = QApplication::palette(w);
        palette.setColor(QPalette::WindowText, standard.color(QPalette::WindowText));
        palette.setColor(QPalette::Text, standard.color(QPalette::Text));
    }
    w->setPalette(palette);
}

void FormBinder::applyFocus(Bound& b)
{
    QWidget* w = b.widget;
    if (!w || !w->isVisible() || !w->isEnabled() || w->hasFocus())
        return;
    mirroringFocus_ = true;
    w->setFocus(Qt::OtherFocusReason);
    mirroringFocus_ = false;
}

bool FormBinder::effectiveVisible(const Bound& b) const
{
    if (!b.control->visible())
        return false;
    for (const std::string& key : b.hiddenAncestors)
        if (const ui::Control* c = controls_.findByKey(key); c && !c->visible())
            return false;
    return true;
}

bool FormBinder::effectiveEnabled(const Bound& b) const
{
    if (!b.control->enabled())
        return false;
    for (const std::string& key : b.hiddenAncestors)
        if (const ui::Control* c = controls_.findByKey(key); c && !c->enabled())
            return false;
    return true;
}

void FormBinder::updateReach()
{
    for (auto& [key, b] : bound_) {
        if (!b.widget)
            continue;
        const bool visible = effectiveVisible(b);
        if (b.widget->isHidden() == visible) {
            b.widget->setVisible(visible);
            // What the program shows in place of another comes out on top.
            const ControlKind kind = b.control->kind();
            if (visible
                && ((b.placement && b.placement->overlay) || kind == ControlKind::ListBox
                    || kind == ControlKind::EditableList))
                b.widget->raise();
        }
        const bool enabled = effectiveEnabled(b);
        if (b.widget->testAttribute(Qt::WA_ForceDisabled) == enabled)
            b.widget->setEnabled(enabled);
    }
}

// ---------------------------------------------------------------- user actions

std::string FormBinder::writtenName(const std::string& key) const
{
    const ui::Control* c = controls_.findByKey(key);
    return c ? app::UserInput::nameOf(controls_, *c) : key;
}

void FormBinder::post(std::function<void()> action) { queue_.post(std::move(action)); }

void FormBinder::postClick(const std::string& key)
{
    post([this, key] { input_.click(writtenName(key)); });
}

void FormBinder::activate(const std::string& key)
{
    post([this, key] {
        const std::string name = writtenName(key);
        if (!input_.refusal(name).empty())
            return;
        const ui::Control* c = controls_.findByKey(key);
        const bool focusable = c && (c->kind() == ControlKind::Button || c->kind() == ControlKind::Option
                                     || c->kind() == ControlKind::CheckBox);
        if (focusable && controls_.focused() != key && !input_.focus(name).empty())
            return;
        input_.click(name);
    });
}

void FormBinder::chooseDisplayType(const std::string& entry)
{
    post([this, entry] {
        if (!input_.refusal("DisplayButton").empty())
            return;
        if (controls_.focused() != "DisplayButton" && !input_.focus("DisplayButton").empty())
            return;
        if (input_.click("DisplayButton").empty())
            input_.choose("displaycombo", entry);
    });
}

void FormBinder::postChoose(const std::string& key, int row)
{
    post([this, key, row] {
        const ui::Control* c = controls_.findByKey(key);
        if (!c || row < 0 || row >= static_cast<int>(c->list().size()))
            return;
        input_.choose(writtenName(key), c->list()[static_cast<std::size_t>(row)]);
    });
}

void FormBinder::storeSelection(const std::string& key, const QWidget* widget)
{
    ui::Control* c = controls_.findByKey(key);
    const QLineEdit* edit = lineEditOf(const_cast<QWidget*>(widget));
    if (!c || !edit)
        return;
    const QString text = edit->text();
    qsizetype start = edit->cursorPosition();
    qsizetype length = 0;
    if (edit->hasSelectedText()) {
        start = edit->selectionStart();
        length = edit->selectionLength();
    }
    const int from = utf8Offset(text, start);
    echoKey_ = key;
    c->setSelection(from, utf8Offset(text, start + length) - from);
    echoKey_.clear();
}

// Editing Qt does itself (Delete, paste, cut): the model takes the new text.
void FormBinder::userTyped(const std::string& key, const QString& text)
{
    ui::Control* c = controls_.findByKey(key);
    if (!c)
        return;
    echoKey_ = key;
    c->setText(ss(text));
    echoKey_.clear();
    if (controls_.hasHandler(c->name(), ui::Event::Change)) {
        post([this, key] {
            model_.deliver([&] {
                if (ui::Control* changed = controls_.findByKey(key))
                    controls_.dispatch(changed->name(), changed->index(), ui::Event::Change);
            });
        });
    }
}

void FormBinder::focusArrived(const std::string& key)
{
    // Qt moves the focus on its own when the program hides or disables the
    // focused control, and the binding moves it when the program does: only
    // the user's own moves leave one control and enter the next.
    if (queue_.modelActive() || mirroringFocus_)
        return;
    post([this, key] {
        if (controls_.focused() == key)
            return;
        input_.focus(writtenName(key));
        if (controls_.focused() == key || controls_.focused().empty())
            return;
        // The control that had the focus kept it (its entry was refused), so
        // whatever the user did on the way out, the click that moved the
        // focus, did not happen.
        queue_.dropPending();
        if (QWidget* w = widget(controls_.focused()); w && w->isVisible() && w->isEnabled()) {
            mirroringFocus_ = true;
            w->setFocus(Qt::OtherFocusReason);
            mirroringFocus_ = false;
        }
    });
}

bool FormBinder::keyPressed(const std::string& key, QWidget* widget, QKeyEvent* event)
{
    const ui::Control* c = controls_.findByKey(key);
    if (!c)
        return false;
    const bool takesText = c->kind() == ControlKind::TextBox || c->kind() == ControlKind::EditableList;
    // Other controls let Qt handle their keys (a list's arrows) unless the
    // program filters them.
    if (!takesText && !controls_.hasHandler(c->name(), ui::Event::KeyPress))
        return false;
    const int typed = typedCharacter(event);
    // Control characters other than these, and keys with Ctrl or Alt, are the
    // desktop's shortcuts (select all, copy, paste).
    if (typed < 0 || (typed < 32 && typed != 8 && typed != 13 && typed != 27)
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    // What the user did before this key happens first.
    queue_.drain();
    if (takesText)
        storeSelection(key, widget);
    const std::string keys = ss(QString(QChar(typed)));
    std::string refused;
    {
        ActionQueue::Busy busy(queue_);
        refused = input_.key(writtenName(key), keys);
    }
    applyPendingFocus();
    // A key the program would not take is not Qt's either.
    return refused.empty() || takesText;
}

bool FormBinder::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == form_ && event->type() == QEvent::Resize) {
        relayout();
        return false;
    }
    const auto it = keyOf_.find(watched);
    if (it == keyOf_.end())
        return false;
    const std::string key = it->second;
    switch (event->type()) {
    case QEvent::FocusIn: {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        // Window switches and drop-down lists do not move the focus within the form.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            focusArrived(key);
        break;
    }
    case QEvent::KeyPress:
        // A combo box hands its keys on to its text field: filter them once.
        if (watched == QApplication::focusWidget())
            return keyPressed(key, qobject_cast<QWidget*>(watched), static_cast<QKeyEvent*>(event));
        break;
    default:
        break;
    }
    return false;
}

} // namespace orbilan::gui
