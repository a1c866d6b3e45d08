#include "gui/qt_platform.h"

#include <utility>

#include <QClipboard>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QApplication>
#include <QInputDialog>
#include <QLocale>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QThread>

#include "gui/action_queue.h"
#include "gui/file_filter.h"
#include "gui/page_renderer.h"
#include "gui/qt_text.h"

namespace orbilan::gui {

namespace {

// Repaints during a wait at most this often; more would only cost time.
constexpr int RepaintIntervalMs = 15;

QMessageBox::Icon qtIcon(ui::MsgIcon icon)
{
    switch (icon) {
    case ui::MsgIcon::None: return QMessageBox::NoIcon;
    case ui::MsgIcon::Exclamation: return QMessageBox::Warning;
    case ui::MsgIcon::Information: return QMessageBox::Information;
    case ui::MsgIcon::Critical: return QMessageBox::Critical;
    case ui::MsgIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

} // namespace

bool TitleSaysMore(const std::string& title)
{
    return !title.empty() && title != "Orbilan";
}

QtPlatform::QtPlatform() : lastFolder_(QDir::currentPath()) { sinceRepaint_.start(); }

ui::MsgResult QtPlatform::detailedMessageBox(const std::string& text, const std::string& detail,
                                             ui::MsgButtons buttons, ui::MsgIcon icon, const std::string& title)
{
    detail_ = detail;
    return messageBox(text, buttons, icon, title);
}

ui::MsgResult QtPlatform::messageBox(const std::string& text, ui::MsgButtons buttons, ui::MsgIcon icon,
                                     const std::string& title)
{
    const std::string detail = std::exchange(detail_, {});
    if (standIn_)
        return standIn_->detailedMessageBox(text, detail, buttons, icon, title);
    QueueHold hold(queue_);
    ActionQueue::Yield yield(queue_);
    QMessageBox box(parent_);
    box.setObjectName(QStringLiteral("orbilanMessage"));
    box.setWindowTitle(qs(title));
    // Texts come from files and from the user as well: never read them as markup.
    box.setTextFormat(Qt::PlainText);
    // Many of the program's messages give their reason in the title ("Start
    // frequency above maximum 60 MHz" over "Please try again"): a title of
    // its own is said again in the box, above the text.
    if (TitleSaysMore(title)) {
        box.setText(shownText(title));
        box.setInformativeText(shownText(text));
        if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
            QFont bold = label->font();
            bold.setBold(true);
            label->setFont(bold);
        }
    } else {
        box.setText(shownText(text));
    }
    if (!detail.empty())
        box.setDetailedText(shownText(detail));
    box.setIcon(qtIcon(icon));
    // Wide enough for its title: the title bar must not cut it short.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        const QFontMetrics metrics(QApplication::font("QMdiSubWindowTitleBar"));
        int wanted = metrics.horizontalAdvance(qs(title)) + 160;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            wanted = std::min(wanted, screen->availableGeometry().width() - 40);
        grid->addItem(new QSpacerItem(wanted, 0, QSizePolicy::Minimum, QSizePolicy::Fixed), grid->rowCount(), 0, 1,
                      grid->columnCount());
    }
    ui::MsgResult closed = ui::MsgResult::Ok;
    switch (buttons) {
    case ui::MsgButtons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        break;
    case ui::MsgButtons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        closed = ui::MsgResult::Cancel;
        break;
    case ui::MsgButtons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        closed = ui::MsgResult::No;
        break;
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok: return ui::MsgResult::Ok;
    case QMessageBox::Cancel: return ui::MsgResult::Cancel;
    case QMessageBox::Yes: return ui::MsgResult::Yes;
    case QMessageBox::No: return ui::MsgResult::No;
    default: return closed;
    }
}

std::optional<std::string> QtPlatform::inputBox(const std::string& prompt, const std::string& title,
                                                const std::string& defaultText)
{
    if (standIn_)
        return standIn_->inputBox(prompt, title, defaultText);
    QueueHold hold(queue_);
    ActionQueue::Yield yield(queue_);
    QInputDialog dialog(parent_);
    dialog.setObjectName(QStringLiteral("orbilanInput"));
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(qs(title));
    dialog.setLabelText(shownText(prompt));
    dialog.setTextValue(qs(defaultText));
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ss(dialog.textValue());
}

std::optional<std::string> QtPlatform::fileDialog(const ui::FileDialogRequest& request)
{
    const QString kind = fileKind(request.filter);
    auto remember = [this, &kind](const QString& path) {
        lastFolder_ = QFileInfo(path).absolutePath();
        folders_[kind] = lastFolder_;
        if (onFolderChosen)
            onFolderChosen(kind, lastFolder_);
    };
    if (standIn_) {
        auto chosen = standIn_->fileDialog(request);
        if (chosen)
            remember(qs(*chosen));
        return chosen;
    }
    QueueHold hold(queue_);
    ActionQueue::Yield yield(queue_);
    const QtFileFilters filters = toQtFilters(request.filter);
    QFileDialog dialog(parent_, qs(request.title), lastFolder(kind));
    dialog.setObjectName(QStringLiteral("orbilanFileDialog"));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setNameFilters(filters.filters);
    const qsizetype first = std::clamp<qsizetype>(request.filterIndex - 1, 0, filters.filters.size() - 1);
    dialog.selectNameFilter(filters.filters[first]);
    if (!request.fileName.empty())
        dialog.selectFile(qs(request.fileName));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    // A name typed without extension gets the one of the chosen filter, so that
    // the file shows up under that filter when it is opened again.
    QString path = dialog.selectedFiles().constFirst();
    if (request.save && QFileInfo(path).suffix().isEmpty()) {
        const qsizetype chosen = filters.filters.indexOf(dialog.selectedNameFilter());
        if (chosen >= 0 && !filters.suffixes[chosen].isEmpty())
            path += QLatin1Char('.') + filters.suffixes[chosen];
    }
    remember(path);
    return ss(QDir::toNativeSeparators(path));
}

QString QtPlatform::fileKind(const std::string& filter)
{
    // "cal files|*.cal|All Files|*.*": the first pattern's extension.
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    const QString pattern = parts.size() > 1 ? parts[1] : QString();
    const qsizetype dot = pattern.lastIndexOf(QLatin1Char('.'));
    const QString kind = dot >= 0 ? pattern.mid(dot + 1).toLower() : QString();
    return kind.isEmpty() || kind == QLatin1String("*") ? QStringLiteral("files") : kind;
}

void QtPlatform::processEvents()
{
    if (beforeEvents)
        beforeEvents();
    ActionQueue::Yield yield(queue_);
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceRepaint_.restart();
}

void QtPlatform::repaintOnly()
{
    if (beforeEvents)
        beforeEvents();
    // Paint and timers only: the program is in the middle of talking to the
    // instrument, so no user action may run now.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sinceRepaint_.restart();
}

void QtPlatform::sleepMs(int ms)
{
    QueueHold hold(queue_);
    const double wanted = ms * sleepScale_;
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        if (sinceRepaint_.elapsed() >= RepaintIntervalMs)
            repaintOnly();
        const double left = wanted - static_cast<double>(waited.nsecsElapsed()) / 1e6;
        if (left <= 0)
            break;
        QThread::usleep(static_cast<unsigned long>(std::min(left, 5.0) * 1000));
    }
}

ui::DateTimeText QtPlatform::now()
{
    const QDateTime t = QDateTime::currentDateTime();
    const QLocale locale = QLocale::system();
    return {ss(locale.toString(t.date(), QLocale::ShortFormat)), ss(locale.toString(t.time(), QLocale::ShortFormat))};
}

char QtPlatform::decimalSeparator()
{
    const QString point = QLocale::system().decimalPoint();
    if (point.size() == 1 && point[0].unicode() < 0x80)
        return static_cast<char>(point[0].unicode());
    return '.';
}

void QtPlatform::setClipboardImage(const ui::Image& image)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    // The window shows the plot drawn afresh at its own size: that is what
    // the user copies, not the program's raster of it.
    QImage shown = shownPlot ? shownPlot() : QImage();
    clipboard->setImage(shown.isNull() ? toQImage(image) : shown);
}

bool QtPlatform::printPage(const ui::PrintPage& page)
{
    if (standIn_)
        return standIn_->printPage(page);
    QueueHold hold(queue_);
    ActionQueue::Yield yield(queue_);
    QPrinter printer(QPrinter::HighResolution);
    const QPrinterInfo defaultPrinter = QPrinterInfo::defaultPrinter();
    if (!defaultPrinter.isNull())
        printer.setPrinterName(defaultPrinter.printerName());
    printer.setDocName(QStringLiteral("Orbilan"));
    // The dialog opens on the default printer; it also offers printing to a PDF file.
    QPrintDialog dialog(&printer, parent_);
    dialog.setObjectName(QStringLiteral("orbilanPrintDialog"));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    return printPageOn(printer, page, printPlot);
}

void QtPlatform::endProgram()
{
    if (onEndProgram)
        onEndProgram();
    else
        QCoreApplication::quit();
}

} // namespace orbilan::gui
