#pragma once

#include "core/Dates.h"
#include "core/Encoding.h"

#include <QDate>
#include <QString>

#include <cmath>
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

// Dates of the engine (days from 30 December 1899) and of the widgets.
inline QDate ToQDate(TDateTime date)
{
    return QDate(1899, 12, 30).addDays(static_cast<qint64>(std::floor(date)));
}

inline TDateTime FromQDate(const QDate &date)
{
    return static_cast<TDateTime>(QDate(1899, 12, 30).daysTo(date));
}
