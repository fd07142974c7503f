// The one-click group of the main window: 按钮4 fills the add form from the promotion text
// on the clipboard, 按钮5 fills it and adds the entry at once.
#pragma once

#include <QObject>
#include <memory>

#include "adding/promotion_text.h"
#include "app/qt_event_pump.h"

namespace korvane {

class MainWindow;
class QtAddForm;

class OneClick final : public QObject {
    Q_OBJECT
  public:
    // Connects the two buttons of `window`; a window gets one OneClick however often this is
    // called, owned by the window.
    static OneClick& install(MainWindow& window);
    ~OneClick() override;

    void fill();          // 按钮4
    void fill_and_add();  // 按钮5
    // True while a click is being handled; clicks on either button are ignored meanwhile.
    bool busy() const { return busy_; }

    // Tests: where short links are resolved. The default walks the chain on the network and
    // lets the window run its events while each request waits.
    void set_resolver(ClickLinkResolver resolver) { resolver_ = std::move(resolver); }

  private:
    explicit OneClick(MainWindow& window);
    void run(bool then_add);

    MainWindow& window_;
    std::unique_ptr<QtAddForm> form_;
    QtEventPump events_;
    ClickLinkResolver resolver_;
    bool busy_ = false;
};

}  // namespace korvane
