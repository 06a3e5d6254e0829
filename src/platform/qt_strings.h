#pragma once
// The one place that converts between the pure layers' 8-bit strings and QString.

#include <QString>
#include <string>
#include <string_view>

namespace boardcast {

QString toQString(std::string_view text);
std::string toStdString(const QString& text);

}  // namespace boardcast
