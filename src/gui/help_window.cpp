#include "gui/help_window.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QGuiApplication>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace orbilan::gui {

QString MarkdownSection(const QString& markdown, const QString& title)
{
    const QStringList lines = markdown.split(QLatin1Char('\n'));
    QStringList section;
    bool inside = false;
    for (const QString& line : lines) {
        const bool heading = line.startsWith(QLatin1String("## "));
        if (heading && inside)
            break;
        if (heading && line.mid(3).trimmed() == title)
            inside = true;
        if (inside)
            section << line;
    }
    return section.join(QLatin1Char('\n'));
}

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QStringLiteral("Orbilan Help"));
    auto* layout = new QVBoxLayout(this);
    browser_->setObjectName(QStringLiteral("helpText"));
    browser_->setOpenExternalLinks(true);
    // The README names its pictures by their place in the source tree.
    browser_->setSearchPaths({QStringLiteral(":/help")});
    QFile readme(QStringLiteral(":/help/README.md"));
    QString text;
    if (readme.open(QIODevice::ReadOnly))
        text = MarkdownSection(QString::fromUtf8(readme.readAll()), QStringLiteral("Using the program"));
    browser_->setMarkdown(text.isEmpty() ? QStringLiteral("The help text is not part of this build.") : text);
    layout->addWidget(browser_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    layout->addWidget(buttons);
    QSize size(760, 620);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        size = size.boundedTo(screen->availableSize() - QSize(40, 80));
    resize(size);
}

} // namespace orbilan::gui
