#include "app/user_input.h"

#include <algorithm>
#include <vector>

#include "app/main_window.h"
#include "app/manual_form.h"
#include "app/trace_tools.h"
#include "ui/number_text.h"

namespace orbilan::app {

namespace {

constexpr const char* ManualPrefix = "ManualForm";
constexpr const char* MainPrefix = "MainWindow";
constexpr const char* ToolsPrefix = TraceTools::WindowName;

bool startsWith(const std::string& s, const std::string& prefix)
{
    return s.size() >= prefix.size() && s.compare(0, prefix.size(), prefix) == 0;
}

bool takesText(const ui::Control& c)
{
    return c.kind() == ui::ControlKind::TextBox || c.kind() == ui::ControlKind::EditableList;
}

bool isList(const ui::Control& c)
{
    return c.kind() == ui::ControlKind::ListBox || c.kind() == ui::ControlKind::EditableList;
}

// Controls a user can put the keyboard focus on.
bool takesFocus(const ui::Control& c)
{
    switch (c.kind()) {
    case ui::ControlKind::Button:
    case ui::ControlKind::Option:
    case ui::ControlKind::CheckBox:
    case ui::ControlKind::TextBox:
    case ui::ControlKind::ListBox:
    case ui::ControlKind::EditableList:
        return true;
    default:
        return false;
    }
}

// Disabled frames disable what they hold, as a window system does.
bool enabledWithin(const ui::ControlSet& set, const ui::Control& control)
{
    const ui::Control* c = &control;
    for (int depth = 0; c && depth < 32; ++depth) {
        if (!c->enabled())
            return false;
        if (c->parent().empty())
            break;
        c = set.findByKey(c->parent());
    }
    const ui::Control* window = set.findByKey(set.windowName());
    return !window || window->enabled();
}

// The code points of a UTF-8 text, each with its bytes; a stray byte stands
// for itself so that nothing typed is lost.
std::vector<std::pair<int, std::string>> codePoints(const std::string& s)
{
    std::vector<std::pair<int, std::string>> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t len = 1;
        int cp = b;
        if (b >= 0xC0 && b < 0xE0)
            len = 2, cp = b & 0x1F;
        else if (b >= 0xE0 && b < 0xF0)
            len = 3, cp = b & 0x0F;
        else if (b >= 0xF0 && b < 0xF8)
            len = 4, cp = b & 0x07;
        bool valid = len > 1 && i + len <= s.size();
        for (std::size_t k = 1; valid && k < len; ++k) {
            const auto cont = static_cast<unsigned char>(s[i + k]);
            if ((cont & 0xC0) != 0x80)
                valid = false;
            else
                cp = (cp << 6) | (cont & 0x3F);
        }
        if (!valid) {
            len = 1;
            cp = b;
        }
        out.emplace_back(cp, s.substr(i, len));
        i += len;
    }
    return out;
}

std::string utf8Of(int cp)
{
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

} // namespace

UserInput::UserInput(MainWindow& main) : main_(main) {}

UserInput::Target UserInput::resolve(const std::string& name) const
{
    ui::ControlSet* set = &main_.controls();
    std::string key = name;
    const std::string manualDot = std::string(ManualPrefix) + ".";
    const std::string mainDot = std::string(MainPrefix) + ".";
    const std::string toolsDot = std::string(ToolsPrefix) + ".";
    if (startsWith(name, toolsDot)) {
        set = &main_.traceTools().controls();
        key = name.substr(toolsDot.size());
    } else if (name == ManualPrefix) {
        set = &main_.manualForm().controls();
    } else if (startsWith(name, manualDot)) {
        set = &main_.manualForm().controls();
        key = name.substr(manualDot.size());
    } else if (startsWith(name, mainDot)) {
        key = name.substr(mainDot.size());
    }
    std::string controlName;
    int index = -1;
    if (!ui::parseControlKey(key, controlName, index))
        return {};
    ui::Control* control = set->find(controlName, index);
    if (!control)
        return {};
    return {set, control};
}

std::string UserInput::nameOf(const ui::ControlSet& set, const ui::Control& control)
{
    if (set.windowName() == ManualPrefix && control.key() != ManualPrefix)
        return std::string(ManualPrefix) + "." + control.key();
    if (set.windowName() == ToolsPrefix)
        return std::string(ToolsPrefix) + "." + control.key();
    return control.key();
}

std::string UserInput::refusal(const std::string& name) const
{
    if (main_.ended())
        return "the program has ended";
    const Target t = resolve(name);
    if (!t.control)
        return "unknown control " + name;
    const ui::Control* window = t.set->findByKey(t.set->windowName());
    if (!t.control->reachable() || (window && !window->visible()))
        return name + " is hidden";
    if (!enabledWithin(*t.set, *t.control))
        return name + " is disabled";
    return {};
}

std::string UserInput::act(const std::string& name, const std::function<std::string(Target&)>& action)
{
    std::string refused = refusal(name);
    if (!refused.empty())
        return refused;
    Target target = resolve(name);
    main_.deliver([&] { refused = action(target); });
    return refused;
}

std::string UserInput::click(const std::string& name)
{
    return act(name, [](Target& t) {
        t.set->userClick(t.control->name(), t.control->index());
        return std::string();
    });
}

std::string UserInput::type(const std::string& name, const std::string& text)
{
    if (std::string refused = refusal(name); !refused.empty())
        return refused;
    if (!takesText(*resolve(name).control))
        return name + " takes no text";
    return act(name, [&](Target& t) {
        ui::ControlSet& set = *t.set;
        ui::Control& c = *t.control;
        if (!moveFocus(set, c))
            return keptFocus(set);
        if (c.text() != text) {
            c.setText(text);
            set.dispatch(c.name(), c.index(), ui::Event::Change);
        }
        c.setSelection(static_cast<int>(c.text().size()), 0);
        leaveControl(set, c);
        return std::string();
    });
}

std::string UserInput::key(const std::string& name, const std::string& keys)
{
    if (std::string refused = refusal(name); !refused.empty())
        return refused;
    if (!takesFocus(*resolve(name).control))
        return name + " takes no keys";
    return act(name, [&](Target& t) {
        ui::ControlSet& set = *t.set;
        if (!moveFocus(set, *t.control))
            return keptFocus(set);
        for (const auto& [cp, bytes] : codePoints(keys)) {
            // A handler may have moved the focus (Enter in a list applies it
            // and moves on): the next key goes where the focus is now.
            ui::Control* focused = set.findByKey(set.focused());
            if (!focused)
                break;
            pressKey(set, *focused, cp, bytes);
        }
        return std::string();
    });
}

void UserInput::pressKey(ui::ControlSet& set, ui::Control& c, int keyCode, const std::string& utf8)
{
    ui::EventArgs args;
    args.key = keyCode;
    set.dispatch(c.name(), c.index(), ui::Event::KeyPress, args);
    if (args.key == 0 || !takesText(c))
        return;
    std::string text = c.text();
    const int size = static_cast<int>(text.size());
    int start = std::clamp(c.selStart(), 0, size);
    int length = std::clamp(c.selLength(), 0, size - start);
    if (args.key == 8) {
        if (length == 0) {
            if (start == 0)
                return;
            // Back over one whole UTF-8 character.
            int from = start - 1;
            while (from > 0 && (static_cast<unsigned char>(text[static_cast<std::size_t>(from)]) & 0xC0) == 0x80)
                --from;
            length = start - from;
            start = from;
        }
        text.erase(static_cast<std::size_t>(start), static_cast<std::size_t>(length));
    } else if (args.key < 32) {
        return; // Enter and other control keys edit nothing
    } else {
        const std::string typed = args.key == keyCode ? utf8 : utf8Of(args.key);
        text.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(length), typed);
        start += static_cast<int>(typed.size());
    }
    c.setText(text);
    c.setSelection(start, 0);
    set.dispatch(c.name(), c.index(), ui::Event::Change);
}

std::string UserInput::choose(const std::string& name, const std::string& entry)
{
    if (std::string refused = refusal(name); !refused.empty())
        return refused;
    const Target found = resolve(name);
    if (!isList(*found.control))
        return name + " is not a list";
    const auto& list = found.control->list();
    int index = -1;
    for (std::size_t i = 0; i < list.size() && index < 0; ++i)
        if (list[i] == entry)
            index = static_cast<int>(i);
    if (index < 0) {
        const std::string wanted = ui::trimBlanks(entry);
        for (std::size_t i = 0; i < list.size(); ++i) {
            if (ui::trimBlanks(list[i]) != wanted)
                continue;
            if (index >= 0) {
                index = -2; // ambiguous
                break;
            }
            index = static_cast<int>(i);
        }
    }
    if (index < 0)
        return name + " has no entry \"" + entry + "\"";
    return act(name, [index](Target& t) {
        ui::Control& c = *t.control;
        c.setListIndex(index);
        c.setText(c.list()[static_cast<std::size_t>(index)]);
        t.set->dispatch(c.name(), c.index(), ui::Event::Click);
        return std::string();
    });
}

std::string UserInput::focus(const std::string& name)
{
    if (std::string refused = refusal(name); !refused.empty())
        return refused;
    if (!takesFocus(*resolve(name).control))
        return name + " takes no focus";
    return act(name, [this](Target& t) {
        if (!moveFocus(*t.set, *t.control))
            return keptFocus(*t.set);
        return std::string();
    });
}

std::string UserInput::leave(const std::string& name)
{
    return act(name, [this](Target& t) {
        leaveControl(*t.set, *t.control);
        return std::string();
    });
}

std::string UserInput::keptFocus(const ui::ControlSet& set)
{
    const ui::Control* holder = set.findByKey(set.focused());
    return (holder ? nameOf(set, *holder) : std::string("the focused control")) + " kept the focus";
}

bool UserInput::moveFocus(ui::ControlSet& set, ui::Control& target)
{
    if (set.focused() == target.key())
        return true;
    if (ui::Control* previous = set.findByKey(set.focused()))
        if (!leaveControl(set, *previous))
            return false;
    set.setFocus(target.key());
    set.dispatch(target.name(), target.index(), ui::Event::GotFocus);
    return true;
}

bool UserInput::leaveControl(ui::ControlSet& set, ui::Control& control)
{
    ui::EventArgs validate;
    set.dispatch(control.name(), control.index(), ui::Event::Validate, validate);
    if (validate.cancel) {
        // A cancelled validation keeps the focus, unless the handler itself
        // sent it somewhere else.
        if (set.focused().empty())
            set.setFocus(control.key());
        return false;
    }
    set.dispatch(control.name(), control.index(), ui::Event::LostFocus);
    if (set.focused() == control.key())
        set.setFocus("");
    return true;
}

} // namespace orbilan::app
