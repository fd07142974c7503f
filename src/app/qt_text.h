// The widget boundary: system texts are GBK bytes, widgets hold QStrings.
#pragma once

#include <QString>

#include "text/text.h"

namespace korvane {

QString to_qstring(const Text& gbk_text);
Text to_text(const QString& s);

}  // namespace korvane
