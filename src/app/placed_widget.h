// Builds a control of a fixed window layout: its layout name (so tests and tools find it),
// its place in pixels and its start text.
#pragma once

#include <QGroupBox>
#include <QString>
#include <QWidget>
#include <type_traits>

namespace korvane {

template <class W>
W* place(QWidget* parent, const char* name, int x, int y, int w, int h) {
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromUtf8(name));
    widget->setGeometry(x, y, w, h);
    return widget;
}

template <class W>
W* place(QWidget* parent, const char* name, int x, int y, int w, int h, const char* text) {
    W* widget = place<W>(parent, name, x, y, w, h);
    if constexpr (std::is_base_of_v<QGroupBox, W>) {
        widget->setTitle(QString::fromUtf8(text));
    } else {
        widget->setText(QString::fromUtf8(text));
    }
    return widget;
}

}  // namespace korvane
