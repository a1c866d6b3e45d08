// Where each control of a window model sits, and how it looks. Positions are
// in logical pixels from the window's top-left corner (not from the frame the
// control belongs to), so a control lands in the same place whichever frame
// holds it; Qt scales logical pixels on high-DPI screens.
#pragma once

#include <map>
#include <string>

#include <QRect>
#include <QSize>

namespace orbilan::gui {

enum class Align { Left, Centre, Right };

enum class Look {
    Plain,
    Heading,      // a bold caption
    Small,        // a small caption (units labels)
    Display,      // light text on black, for the single-frequency panel
    DisplayLarge, // the big readouts of that panel
    RoundLamp,    // an LED
    Swatch,       // a square colour sample
    Padlock,      // the frequency-units lock
};

struct Placement {
    QRect rect;
    Align align = Align::Left;
    Look look = Look::Plain;
    // Replaces a caption the program draws in a symbol font.
    const char* glyph = nullptr;
    // A list box shown in place of its button opens this tall (0: rect's height).
    int openHeight = 0;
    // A panel shown over others (the sweep settings over the sweep control):
    // it comes out on top whenever it is shown.
    bool overlay = false;
};

class FormLayout {
public:
    FormLayout(QSize size, std::map<std::string, Placement> table) : size_(size), table_(std::move(table)) {}

    QSize size() const { return size_; }
    // By key ("SweepButton(2)"), then by name for every member of an array.
    const Placement* find(const std::string& name, int index) const;
    const std::map<std::string, Placement>& table() const { return table_; }

private:
    QSize size_;
    std::map<std::string, Placement> table_;
};

const FormLayout& mainWindowLayout();
const FormLayout& manualFormLayout();

} // namespace orbilan::gui
