#include "ui/control.h"

#include <algorithm>
#include <stdexcept>

namespace orbilan::ui {

const char* kindName(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Window: return "window";
    case ControlKind::Frame: return "frame";
    case ControlKind::Label: return "label";
    case ControlKind::Button: return "button";
    case ControlKind::Option: return "option";
    case ControlKind::CheckBox: return "checkbox";
    case ControlKind::TextBox: return "textbox";
    case ControlKind::ListBox: return "listbox";
    case ControlKind::EditableList: return "editablelist";
    case ControlKind::Lamp: return "lamp";
    case ControlKind::Picture: return "picture";
    }
    return "?";
}

std::string controlKey(const std::string& name, int index)
{
    if (index < 0)
        return name;
    return name + "(" + std::to_string(index) + ")";
}

bool parseControlKey(const std::string& key, std::string& name, int& index)
{
    const auto open = key.find('(');
    if (open == std::string::npos) {
        if (key.empty() || key.find(')') != std::string::npos)
            return false;
        name = key;
        index = -1;
        return true;
    }
    if (open == 0 || key.back() != ')' || open + 2 > key.size() - 1)
        return false;
    const std::string digits = key.substr(open + 1, key.size() - open - 2);
    if (digits.empty() || digits.size() > 4 || !std::all_of(digits.begin(), digits.end(), [](char c) {
            return c >= '0' && c <= '9';
        }))
        return false;
    name = key.substr(0, open);
    index = std::stoi(digits);
    return true;
}

// ---------------------------------------------------------------- Control

Control::Control(ControlSet* owner, std::string name, int index, ControlKind kind)
    : owner_(owner), name_(std::move(name)), index_(index), kind_(kind)
{
    if (kind == ControlKind::Label || kind == ControlKind::Frame || kind == ControlKind::Lamp)
        tabStop_ = false;
    if (kind == ControlKind::Option)
        group_ = "default";
}

std::string Control::key() const { return controlKey(name_, index_); }

void Control::changed(Property property) { owner_->notify(*this, property); }

Control& Control::setParent(std::string parentKey)
{
    parent_ = std::move(parentKey);
    return *this;
}

Control& Control::setGroup(std::string group)
{
    group_ = std::move(group);
    return *this;
}

Control& Control::setCaption(const std::string& caption)
{
    if (caption_ != caption) {
        caption_ = caption;
        changed(Property::Caption);
    }
    return *this;
}

Control& Control::setText(const std::string& text)
{
    if (text_ != text) {
        text_ = text;
        changed(Property::Text);
    }
    return *this;
}

Control& Control::setToolTip(const std::string& tip)
{
    if (toolTip_ != tip) {
        toolTip_ = tip;
        changed(Property::ToolTip);
    }
    return *this;
}

Control& Control::setVisible(bool visible)
{
    if (visible_ != visible) {
        visible_ = visible;
        changed(Property::Visible);
    }
    return *this;
}

Control& Control::setEnabled(bool enabled)
{
    if (enabled_ != enabled) {
        enabled_ = enabled;
        changed(Property::Enabled);
    }
    return *this;
}

Control& Control::setValueQuietly(int value)
{
    if (value_ != value) {
        value_ = value;
        if (kind_ == ControlKind::Option && value != 0)
            owner_->optionSelected(*this);
        changed(Property::Value);
    }
    return *this;
}

Control& Control::setValue(int value)
{
    const bool differs = value_ != value;
    setValueQuietly(value);
    if (!differs)
        return *this;
    // As a user's click would: selecting an option, or changing a check box.
    if ((kind_ == ControlKind::Option && value != 0) || kind_ == ControlKind::CheckBox)
        owner_->dispatch(name_, index_, Event::Click);
    return *this;
}

Control& Control::clearList()
{
    if (!list_.empty() || listIndex_ != -1) {
        list_.clear();
        listIndex_ = -1;
        changed(Property::List);
    }
    return *this;
}

Control& Control::addItem(const std::string& item)
{
    list_.push_back(item);
    changed(Property::List);
    return *this;
}

Control& Control::setListIndex(int index)
{
    if (index < -1 || index >= static_cast<int>(list_.size()))
        index = -1;
    if (listIndex_ != index) {
        listIndex_ = index;
        changed(Property::ListIndex);
    }
    return *this;
}

Control& Control::setBackColour(Rgb colour)
{
    if (backColour_ != colour) {
        backColour_ = colour;
        changed(Property::BackColour);
    }
    return *this;
}

Control& Control::setForeColour(Rgb colour)
{
    if (foreColour_ != colour) {
        foreColour_ = colour;
        changed(Property::ForeColour);
    }
    return *this;
}

Control& Control::setBold(bool bold)
{
    if (bold_ != bold) {
        bold_ = bold;
        changed(Property::Bold);
    }
    return *this;
}

Control& Control::setSelection(int start, int length)
{
    selStart_ = start;
    selLength_ = length;
    changed(Property::Selection);
    return *this;
}

Control& Control::setTabStop(bool tabStop)
{
    if (tabStop_ != tabStop) {
        tabStop_ = tabStop;
        changed(Property::TabStop);
    }
    return *this;
}

bool Control::reachable() const
{
    const Control* c = this;
    // Bounded walk: a parent loop in the table must not hang the program.
    for (int depth = 0; c && depth < 32; ++depth) {
        if (!c->visible_)
            return false;
        if (c->parent_.empty())
            return true;
        c = owner_->findByKey(c->parent_);
    }
    return c == nullptr;
}

// ---------------------------------------------------------------- ControlSet

ControlSet::ControlSet(std::string windowName) : windowName_(std::move(windowName)) {}

Control& ControlSet::add(const std::string& name, ControlKind kind, int index)
{
    const std::string key = controlKey(name, index);
    auto it = controls_.find(key);
    if (it != controls_.end())
        return *it->second;
    auto control = std::make_unique<Control>(this, name, index, kind);
    Control& ref = *control;
    controls_.emplace(key, std::move(control));
    order_.push_back(&ref);
    return ref;
}

void ControlSet::addArray(const std::string& name, ControlKind kind, int first, int last)
{
    for (int i = first; i <= last; ++i)
        add(name, kind, i);
}

bool ControlSet::contains(const std::string& name, int index) const { return find(name, index) != nullptr; }

Control* ControlSet::find(const std::string& name, int index) { return findByKey(controlKey(name, index)); }

const Control* ControlSet::find(const std::string& name, int index) const
{
    return findByKey(controlKey(name, index));
}

Control* ControlSet::findByKey(const std::string& key)
{
    auto it = controls_.find(key);
    return it == controls_.end() ? nullptr : it->second.get();
}

const Control* ControlSet::findByKey(const std::string& key) const
{
    auto it = controls_.find(key);
    return it == controls_.end() ? nullptr : it->second.get();
}

Control& ControlSet::at(const std::string& name, int index)
{
    if (Control* c = find(name, index))
        return *c;
    throw std::out_of_range(windowName_ + ": no control " + controlKey(name, index));
}

const Control& ControlSet::at(const std::string& name, int index) const
{
    if (const Control* c = find(name, index))
        return *c;
    throw std::out_of_range(windowName_ + ": no control " + controlKey(name, index));
}

static std::string handlerKey(const std::string& name, Event event)
{
    return name + "/" + std::to_string(static_cast<int>(event));
}

void ControlSet::on(const std::string& name, Event event, Handler handler)
{
    handlers_[handlerKey(name, event)] = std::move(handler);
}

bool ControlSet::hasHandler(const std::string& name, Event event) const
{
    return handlers_.count(handlerKey(name, event)) != 0;
}

bool ControlSet::dispatch(const std::string& name, int index, Event event, EventArgs& args)
{
    auto it = handlers_.find(handlerKey(name, event));
    if (it == handlers_.end())
        return false;
    args.index = index;
    // Copy: a handler may replace handlers while it runs.
    Handler handler = it->second;
    handler(args);
    return true;
}

bool ControlSet::dispatch(const std::string& name, int index, Event event)
{
    EventArgs args;
    return dispatch(name, index, event, args);
}

void ControlSet::userClick(const std::string& name, int index)
{
    Control* c = find(name, index);
    if (c && c->kind() == ControlKind::Option) {
        if (c->value() == 0) {
            c->setValue(1); // runs Click
            return;
        }
    } else if (c && c->kind() == ControlKind::CheckBox) {
        c->setValue(c->value() ? 0 : 1); // runs Click
        return;
    }
    dispatch(name, index, Event::Click);
}

void ControlSet::setFocus(const std::string& key)
{
    if (focused_ == key)
        return;
    focused_ = key;
    if (Control* c = findByKey(key)) {
        // A combo box selects its whole text whenever it gets the focus, so
        // that what is typed next replaces it.
        if (c->kind() == ControlKind::EditableList)
            c->setSelection(0, static_cast<int>(c->text().size()));
        notify(*c, Property::Focus);
    }
}

void ControlSet::addObserver(ControlObserver* observer) { observers_.push_back(observer); }

void ControlSet::removeObserver(ControlObserver* observer)
{
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void ControlSet::notify(const Control& control, Property property)
{
    for (ControlObserver* o : observers_)
        o->controlChanged(control, property);
}

void ControlSet::optionSelected(Control& option)
{
    // Deselect the other options of the same group and container.
    for (Control* c : order_) {
        if (c != &option && c->kind() == ControlKind::Option && c->group() == option.group()
            && c->parent() == option.parent() && c->value() != 0) {
            c->value_ = 0;
            notify(*c, Property::Value);
        }
    }
}

} // namespace orbilan::ui
