// The presentation model: every control of a window is plain data that the
// window model reads and writes, and that a front end (Qt, the session
// protocol, a test) mirrors. A control array member is addressed by its name
// and index, written "SweepButton(2)".
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace orbilan::ui {

// Colours are 0xRRGGBB.
using Rgb = std::uint32_t;

enum class ControlKind {
    Window,       // a form
    Frame,        // a container; hiding it hides what it holds
    Label,
    Button,
    Option,       // option button: one of a group is selected
    CheckBox,
    TextBox,
    ListBox,      // fixed list, choose an entry
    EditableList, // combo box: typed text or a chosen entry
    Lamp,         // a coloured shape (LED)
    Picture,      // a drawing surface
};

const char* kindName(ControlKind kind);

enum class Event {
    Click,     // click, or a choice in a list
    GotFocus,
    LostFocus,
    Validate,  // before the focus leaves; a handler may cancel
    KeyPress,  // a typed character; a handler may discard it (key = 0)
    Change,    // the text was edited
};

struct EventArgs {
    int index = -1;    // index within a control array, -1 for a single control
    int key = 0;       // KeyPress: the character (13 is Enter); set to 0 to discard
    bool cancel = false; // Validate: set to keep the focus
};

// Which property of a control changed, for observers.
enum class Property {
    Caption, Text, ToolTip, Visible, Enabled, Value, List, ListIndex,
    BackColour, ForeColour, Bold, Selection, TabStop, Focus,
};

class ControlSet;

class Control {
public:
    Control(ControlSet* owner, std::string name, int index, ControlKind kind);

    const std::string& name() const { return name_; }
    int index() const { return index_; }
    ControlKind kind() const { return kind_; }
    // "Name" or "Name(i)".
    std::string key() const;

    // The containing frame or window, by key ("" for a top-level control).
    const std::string& parent() const { return parent_; }
    Control& setParent(std::string parentKey);
    // Option buttons of one group exclude each other.
    const std::string& group() const { return group_; }
    Control& setGroup(std::string group);

    const std::string& caption() const { return caption_; }
    Control& setCaption(const std::string& caption);
    const std::string& text() const { return text_; }
    Control& setText(const std::string& text);
    const std::string& toolTip() const { return toolTip_; }
    Control& setToolTip(const std::string& tip);
    bool visible() const { return visible_; }
    Control& setVisible(bool visible);
    bool enabled() const { return enabled_; }
    Control& setEnabled(bool enabled);

    // Check boxes: 0 or 1. Option buttons: 1 when selected. Setting an option
    // button to 1 or changing a check box runs its Click handler, as a user's
    // click does; setting an option button to 0 runs nothing.
    int value() const { return value_; }
    Control& setValue(int value);
    // Change the value without running any handler (for front ends that only
    // mirror, and for restoring state).
    Control& setValueQuietly(int value);

    const std::vector<std::string>& list() const { return list_; }
    Control& clearList();
    Control& addItem(const std::string& item);
    int listIndex() const { return listIndex_; }
    Control& setListIndex(int index);

    Rgb backColour() const { return backColour_; }
    Control& setBackColour(Rgb colour);
    Rgb foreColour() const { return foreColour_; }
    Control& setForeColour(Rgb colour);
    bool bold() const { return bold_; }
    Control& setBold(bool bold);

    int selStart() const { return selStart_; }
    int selLength() const { return selLength_; }
    Control& setSelection(int start, int length);
    bool tabStop() const { return tabStop_; }
    Control& setTabStop(bool tabStop);

    // Visible itself and inside visible frames and windows.
    bool reachable() const;

private:
    friend class ControlSet;
    void changed(Property property);

    ControlSet* owner_;
    std::string name_;
    int index_;
    ControlKind kind_;
    std::string parent_;
    std::string group_;
    std::string caption_;
    std::string text_;
    std::string toolTip_;
    bool visible_ = true;
    bool enabled_ = true;
    int value_ = 0;
    std::vector<std::string> list_;
    int listIndex_ = -1;
    Rgb backColour_ = 0xC0C0C0;
    Rgb foreColour_ = 0x000000;
    bool bold_ = false;
    int selStart_ = 0;
    int selLength_ = 0;
    bool tabStop_ = true;
};

// Front ends implement this to follow the model.
class ControlObserver {
public:
    virtual ~ControlObserver() = default;
    virtual void controlChanged(const Control& control, Property property) = 0;
};

using Handler = std::function<void(EventArgs&)>;

// All controls of one window, with their event handlers. Events reach a window
// model only through dispatch(); front ends and scripts use nothing else.
class ControlSet {
public:
    explicit ControlSet(std::string windowName);
    ControlSet(const ControlSet&) = delete;
    ControlSet& operator=(const ControlSet&) = delete;

    const std::string& windowName() const { return windowName_; }

    // Adds a control; adding an existing name and index returns the existing one.
    Control& add(const std::string& name, ControlKind kind, int index = -1);
    // Adds the members first..last of a control array.
    void addArray(const std::string& name, ControlKind kind, int first, int last);

    bool contains(const std::string& name, int index = -1) const;
    Control* find(const std::string& name, int index = -1);
    const Control* find(const std::string& name, int index = -1) const;
    // Throws std::out_of_range for an unknown control: a programming error.
    Control& at(const std::string& name, int index = -1);
    const Control& at(const std::string& name, int index = -1) const;
    Control& operator()(const std::string& name, int index = -1) { return at(name, index); }
    Control* findByKey(const std::string& key);
    const Control* findByKey(const std::string& key) const;

    // Every control in creation order.
    const std::vector<Control*>& all() const { return order_; }

    // One handler per control name and event; array members share it and
    // receive their index in the arguments.
    void on(const std::string& name, Event event, Handler handler);
    bool hasHandler(const std::string& name, Event event) const;
    // Runs the handler, if any. Returns false when there is none.
    bool dispatch(const std::string& name, int index, Event event, EventArgs& args);
    bool dispatch(const std::string& name, int index, Event event);

    // A user's click: option buttons become selected and check boxes toggle
    // (which runs their Click handler), every other control runs Click.
    void userClick(const std::string& name, int index = -1);

    // The control that has the focus (a key), "" for none. Moving the focus
    // runs no handler: front ends report focus events through dispatch().
    // An editable list that gets the focus has its whole text selected.
    const std::string& focused() const { return focused_; }
    void setFocus(const std::string& key);

    void addObserver(ControlObserver* observer);
    void removeObserver(ControlObserver* observer);

private:
    friend class Control;
    void notify(const Control& control, Property property);
    void optionSelected(Control& option);

    std::string windowName_;
    std::map<std::string, std::unique_ptr<Control>> controls_;
    std::vector<Control*> order_;
    std::map<std::string, Handler> handlers_; // "Name/event"
    std::string focused_;
    std::vector<ControlObserver*> observers_;
};

std::string controlKey(const std::string& name, int index);
// Splits "Name(3)" into "Name" and 3; "Name" gives index -1. False when malformed.
bool parseControlKey(const std::string& key, std::string& name, int& index);

} // namespace orbilan::ui
