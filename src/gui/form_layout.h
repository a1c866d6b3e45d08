// Where each control of a window model sits, and how it looks. Positions are
// in logical pixels from the window's top-left corner (not from the frame the
// control belongs to), so a control lands in the same place whichever frame
// holds it; Qt scales logical pixels on high-DPI screens.
//
// The positions are those of the form at its smallest size. A form made
// larger moves each control by its anchors: anchored to the left and right
// it grows across, to the right only it moves with the right edge, to
// neither it stays centred; likewise top and bottom. So the plot takes the
// free space while the columns of controls stay at the edges.
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

enum Anchor : unsigned {
    AnchorLeft = 1,
    AnchorRight = 2,
    AnchorTop = 4,
    AnchorBottom = 8,
    AnchorAll = 15,
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
    unsigned anchors = AnchorLeft | AnchorTop;

    // The rectangle in a form of `size` whose smallest size is `design`.
    QRect placedIn(const QSize& design, const QSize& size) const;
};

class FormLayout {
public:
    FormLayout(QSize size, std::map<std::string, Placement> table) : size_(size), table_(std::move(table)) {}

    // The form's smallest size; every control lies inside it.
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
