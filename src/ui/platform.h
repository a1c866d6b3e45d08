// The one interface between the window models and the outside world. The Qt
// front end, the terminal front end and the scripted test platform implement
// it; the program logic never talks to a toolkit or the OS clock directly.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ui/control.h"

namespace orbilan::ui {

enum class MsgButtons { Ok, OkCancel, YesNo };
enum class MsgIcon { None, Exclamation, Information, Critical, Question };
enum class MsgResult { Ok, Cancel, Yes, No };

const char* buttonsName(MsgButtons buttons);
const char* iconName(MsgIcon icon);
const char* resultName(MsgResult result);

struct FileDialogRequest {
    bool save = false;
    std::string title;
    std::string filter;     // "cal files|*.cal|All Files|*.*"
    int filterIndex = 1;    // 1-based, as the filter string counts
    std::string fileName;   // proposed name
    bool hideReadOnly = false;
};

struct DateTimeText {
    std::string date; // the system's short date format
    std::string time; // the system's short time format
};

// An RGB32 picture (0x00RRGGBB per pixel, rows top to bottom).
struct Image {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// One printed page, laid out in centimetres from the top-left corner of the
// printable area. Items are drawn in order.
struct PrintItem {
    enum class Kind { Text, Image, Rectangle } kind = Kind::Text;
    double x = 0, y = 0;          // cm
    double width = 0, height = 0; // cm (image and rectangle)
    std::string text;
    // Text that continues the previous text item on its line, right after it
    // (x and y repeat the line's start; the renderer measures the text).
    bool follows = false;
    Rgb colour = 0x000000;
    double pointSize = 10;
    Image image;                  // already in the colours to print
    // The image is the plot area: a front end that can draw the plot itself
    // may draw it here at the printer's resolution instead.
    bool plotArea = false;
};

struct PrintPage {
    std::vector<PrintItem> items;
};

class Platform {
public:
    virtual ~Platform() = default;

    // A modal message box; a box with only an OK button answers Ok.
    virtual MsgResult messageBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                                 const std::string& title) = 0;
    // The same box with the cause of what it reports (why the instrument
    // cannot be reached, and the fix). The desktop shows `detail` behind the
    // box's details button; by default it follows the text on a line of its own.
    virtual MsgResult detailedMessageBox(const std::string& text, const std::string& detail, MsgButtons buttons,
                                         MsgIcon icon, const std::string& title)
    {
        return messageBox(detail.empty() ? text : text + "\r" + detail, buttons, icon, title);
    }
    // A text-input box; nullopt when cancelled.
    virtual std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText) = 0;
    // An open or save dialog; the chosen path, or nullopt when cancelled.
    virtual std::optional<std::string> fileDialog(const FileDialogRequest& request) = 0;

    // Lets pending window events run (user input included).
    virtual void processEvents() = 0;
    // Blocks for a while. A front end may repaint meanwhile, but must not run
    // user-input handlers: the caller is in the middle of an instrument exchange.
    virtual void sleepMs(int ms) = 0;
    virtual DateTimeText now() = 0;
    // The user's decimal separator, for numbers the program shows in lists.
    virtual char decimalSeparator() = 0;

    virtual void setClipboardImage(const Image& image) = 0;
    // Prints one page on the default printer; false when nothing was printed.
    virtual bool printPage(const PrintPage& page) = 0;

    // The program ends; the front end closes its windows and stops its loop.
    virtual void endProgram() = 0;
};

} // namespace orbilan::ui
