// Help: the README's "Using the program" section, shown in a window of its
// own with the screenshots it refers to. The README and its pictures are
// built into the program, so help needs no files beside it.
#pragma once

#include <QDialog>
#include <QString>

class QTextBrowser;

namespace orbilan::gui {

// The section of a Markdown text that starts at the heading "## <title>" and
// ends before the next heading of that level; empty when there is none.
QString MarkdownSection(const QString& markdown, const QString& title);

class HelpWindow : public QDialog {
    Q_OBJECT
public:
    explicit HelpWindow(QWidget* parent = nullptr);
    QTextBrowser* browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace orbilan::gui
