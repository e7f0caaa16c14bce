#pragma once

#include "core/Encoding.h"

#include <QString>

#include <string>
#include <string_view>

// Engine strings hold Windows-1252 text; widgets speak QString. These are the only crossings.
inline QString ToQString(std::string_view text)
{
    return QString::fromStdString(Windows1252ToUtf8(text));
}

inline std::string FromQString(const QString &text)
{
    return Utf8ToWindows1252(text.toStdString());
}
