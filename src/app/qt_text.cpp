#include "app/qt_text.h"

#include "text/code_page.h"

namespace korvane {

QString to_qstring(std::string_view gbk_text) {
    if (gbk_text.empty()) return {};
    // Plain ASCII needs no table look-up; most cells are digits and links.
    bool ascii = true;
    for (unsigned char c : gbk_text) {
        if (c >= 0x80) {
            ascii = false;
            break;
        }
    }
    if (ascii) return QString::fromLatin1(gbk_text.data(), static_cast<qsizetype>(gbk_text.size()));
    const std::string utf8 = utf8_from_gbk(gbk_text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

Text to_text(const QString& s) {
    const QByteArray utf8 = s.toUtf8();
    return gbk_from_utf8(std::string_view(utf8.constData(), static_cast<size_t>(utf8.size())));
}

}  // namespace korvane
