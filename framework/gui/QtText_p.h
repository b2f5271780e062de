#pragma once

// Texts between the framework (UTF-8 bytes) and the toolkit; included only
// by framework/gui.

#include <QString>
#include <string_view>

namespace fw {

// Every byte counts, a NUL among them; bytes that are not UTF-8 show as
// replacement characters.
inline QString toQString(std::string_view s)
{
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

}
