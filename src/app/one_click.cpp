#include "app/one_click.h"

#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "adding/click_link.h"
#include "app/main_window.h"
#include "app/qt_add_form.h"

namespace korvane {
namespace {

template <class W>
W* named(MainWindow& window, const char* name) {
    return window.findChild<W*>(QString::fromUtf8(name));
}

}  // namespace

OneClick& OneClick::install(MainWindow& window) {
    if (auto* existing = window.findChild<OneClick*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new OneClick(window);
}

OneClick::OneClick(MainWindow& window)
    : QObject(&window),
      window_(window),
      form_(std::make_unique<QtAddForm>(
          named<QLineEdit>(window, "编辑框1"), named<QLineEdit>(window, "编辑框2"),
          named<QLineEdit>(window, "编辑框3"), named<QLineEdit>(window, "编辑框5"),
          named<QPushButton>(window, "按钮1"))),
      resolver_([this](const Text& link) { return ResolveClickLink(link, &events_); }) {
    if (auto* button = named<QPushButton>(window, "按钮4"))
        connect(button, &QPushButton::clicked, this, [this] { fill(); });
    if (auto* button = named<QPushButton>(window, "按钮5"))
        connect(button, &QPushButton::clicked, this, [this] { fill_and_add(); });
}

OneClick::~OneClick() = default;

void OneClick::fill() {
    run(false);
}

void OneClick::fill_and_add() {
    run(true);
}

void OneClick::run(bool then_add) {
    // The window keeps running its events while short links resolve (and while the add's
    // message boxes are open): a second click must not start a second extraction on top.
    if (busy_) return;
    busy_ = true;
    QPointer<OneClick> self(this);
    FillFromPromotionText(window_.clipboard(), *form_, resolver_);
    if (!self) return;
    if (then_add) window_.manual_add();
    if (self) busy_ = false;
}

}  // namespace korvane
