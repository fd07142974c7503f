// The widget boundary: system texts are GBK bytes, widgets hold QStrings.
#pragma once

#include <QString>
#include <string_view>

#include "text/text.h"

namespace korvane {

QString to_qstring(std::string_view gbk_text);
Text to_text(const QString& s);

}  // namespace korvane
