// The text policy at the widget boundary: the kernel and the editor keep
// text as single-byte Latin-1 (one character, one byte), Qt keeps QString.
// Every text that goes into a widget or comes out of one passes here.
#pragma once

#include <QByteArray>
#include <QString>

#include <string>

inline QString ToQ(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// Characters outside Latin-1 become '?'.
inline std::string FromQ(const QString& text)
{
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}
