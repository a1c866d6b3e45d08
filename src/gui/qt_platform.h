// The window models' outside world on a Qt desktop: message boxes, the input
// box, file dialogs, event processing, waits that keep the window painted,
// the clipboard and the printer.
#pragma once

#include <functional>

#include <QElapsedTimer>
#include <QMap>
#include <QImage>
#include <QPointer>
#include <QString>
#include <QWidget>

#include "gui/page_renderer.h"
#include "ui/platform.h"

namespace orbilan::gui {

class ActionQueue;

// A message box title that names more than the program: said again in the box.
bool TitleSaysMore(const std::string& title);

class QtPlatform : public ui::Platform {
public:
    QtPlatform();

    // The window dialogs belong to (centred on it, modal to it).
    void setDialogParent(QWidget* parent) { parent_ = parent; }
    // The user-action queue: held while a dialog is open or the program waits.
    void setQueue(ActionQueue* queue) { queue_ = queue; }
    // When set, dialogs and the printer are answered by this platform instead
    // of being shown (tests and scripted runs of the desktop program).
    void setDialogStandIn(ui::Platform* standIn) { standIn_ = standIn; }
    ui::Platform* dialogStandIn() const { return standIn_; }
    // Waits are scaled by this factor (0: no waiting at all). Only the
    // simulated instrument may be hurried; a real one needs its settling time.
    void setSleepScale(double scale) { sleepScale_ = scale < 0 ? 0 : scale; }
    double sleepScale() const { return sleepScale_; }
    // Where the next file dialog opens; it follows the user's last choice,
    // kept apart per kind of file (calibrations, data ...): the kind is the
    // first extension of the dialog's filter, "cal" or "csv".
    const QString& lastFolder() const { return lastFolder_; }
    // Every kind of dialog opens here next.
    void setLastFolder(const QString& folder)
    {
        lastFolder_ = folder;
        folders_.clear();
    }
    QString lastFolder(const QString& kind) const { return folders_.value(kind, lastFolder_); }
    void setLastFolder(const QString& kind, const QString& folder) { folders_[kind] = folder; }
    static QString fileKind(const std::string& filter);
    // A folder was chosen in a file dialog (the front end remembers it).
    std::function<void(const QString& kind, const QString& folder)> onFolderChosen;

    // Run before pending events are processed (the front end asks the plot
    // views whether their canvas changed).
    std::function<void()> beforeEvents;
    // The program has ended: close the windows and leave the event loop.
    std::function<void()> onEndProgram;
    // The plot as the window shows it, for Copy in place of the model's
    // raster; and the plot drawn at the printer's resolution for Print.
    std::function<QImage()> shownPlot;
    PlotPainter printPlot;

    ui::MsgResult messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                             const std::string& title) override;
    // The cause goes behind the box's "Show Details..." button.
    ui::MsgResult detailedMessageBox(const std::string& text, const std::string& detail, ui::MsgButtons buttons,
                                     ui::MsgIcon icon, const std::string& title) override;
    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& defaultText) override;
    std::optional<std::string> fileDialog(const ui::FileDialogRequest& request) override;
    void processEvents() override;
    void sleepMs(int ms) override;
    ui::DateTimeText now() override;
    char decimalSeparator() override;
    void setClipboardImage(const ui::Image& image) override;
    bool printPage(const ui::PrintPage& page) override;
    void endProgram() override;

private:
    void repaintOnly();

    QPointer<QWidget> parent_;
    ActionQueue* queue_ = nullptr;
    ui::Platform* standIn_ = nullptr;
    std::string detail_; // for the messageBox call detailedMessageBox makes
    double sleepScale_ = 1.0;
    QString lastFolder_;
    QMap<QString, QString> folders_;
    QElapsedTimer sinceRepaint_;
};

} // namespace orbilan::gui
