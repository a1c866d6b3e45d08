// Texts between the window models (UTF-8 std::string, "\r" line breaks) and Qt.
#pragma once

#include <string>

#include <QString>

namespace orbilan::gui {

inline QString qs(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size())); }
inline std::string ss(const QString& s)
{
    const QByteArray utf8 = s.toUtf8();
    return std::string(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

// The program breaks lines with a carriage return (sometimes CR LF); Qt with "\n".
inline QString shownText(const std::string& s)
{
    QString t = qs(s);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return t;
}

// Button and option captions: "&" is literal in the program's captions, while
// Qt would take it as a keyboard accelerator.
inline QString buttonText(const std::string& s)
{
    QString t = shownText(s);
    t.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return t;
}

} // namespace orbilan::gui
