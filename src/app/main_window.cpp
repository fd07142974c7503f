#include "app/main_window.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMoveEvent>
#include <QPointer>
#include <QPushButton>
#include <QTextBrowser>

#include "adding/manual_add.h"
#include "app/one_click.h"
#include "app/placed_widget.h"
#include "app/qt_add_form.h"
#include "app/qt_event_pump.h"
#include "app/qt_host.h"
#include "app/qt_text.h"
#include "app/qt_watch_table.h"
#include "app/row_colour_delegate.h"
#include "app/watch_table_view.h"
#include "files/file_io.h"
#include "monitor/monitor_cycle.h"
#include "probes/probes.h"
#include "shell/settings_file.h"
#include "watchlist/list_file.h"
#include "watchlist/row_commands.h"

namespace korvane {
namespace {

constexpr const char* kAnnouncement =
    "<h3>Korvane跑单监视器 V1.5</h3>"
    "<p>把推广的商品和店铺优惠券加进上面的表格，点“开始监视”后，"
    "软件会按设定的间隔重新检测每一行：优惠券有效时整行显示绿色，失效或领光后显示红色。</p>"
    "<p>复制整段推广文案后，点左边的一键按钮即可自动填写商品连接、优惠券地址和商品标题。</p>";

}  // namespace

QString MainWindow::caption() {
    return QString::fromUtf8("Korvane跑单监视器V1.5版  官网: korvane.example  交流群: 10001");
}

MainWindow::MainWindow(std::filesystem::path data_dir, RowColourStore& colours, QWidget* parent)
    : QWidget(parent),
      data_dir_(std::move(data_dir)),
      colours_(colours),
      own_dialogs_(std::make_unique<QtDialogs>()),
      own_clipboard_(std::make_unique<QtClipboard>()),
      own_links_(std::make_unique<QtLinkOpener>()),
      dialogs_(own_dialogs_.get()),
      clipboard_(own_clipboard_.get()),
      links_(own_links_.get()) {
    setObjectName(QString::fromUtf8("窗口"));
    setWindowTitle(caption());
    setGeometry(50, 50, 1034, 661);

    table_model_ = new QtWatchTable(this);
    table_view_ = place<WatchTableView>(this, "检测表", 4, 5, 1020, 411);
    table_view_->setModel(table_model_);
    table_model_->set_selection_model(table_view_->selectionModel());

    build_monitor_group();
    build_add_group();
    build_one_click_group();
    build_announcement();

    build_row_menu();
    hook_row_colours();

    probes_ = marketplace_probes();
    add_form_ = std::make_unique<QtAddForm>(
        named<QLineEdit>("编辑框1"), named<QLineEdit>("编辑框2"), named<QLineEdit>("编辑框3"),
        named<QLineEdit>("编辑框5"), named<QPushButton>("按钮1"));
    connect(named<QPushButton>("按钮1"), &QPushButton::clicked, this, [this] { manual_add(); });
    connect(named<QPushButton>("按钮2"), &QPushButton::clicked, this,
            [this] { start_monitoring(); });
    connect(named<QPushButton>("按钮3"), &QPushButton::clicked, this,
            [this] { stop_monitoring(); });
    build_monitor();
    tray_menu_ = new QMenu(this);
    tray_menu_->setObjectName(QString::fromUtf8("托盘菜单"));
    OneClick::install(*this);
}

MainWindow::~MainWindow() {
    // A worker may be waiting on a table operation of this thread: keep events running
    // until it has seen its stop.
    QtEventPump events;
    monitor_->shut_down(events);
}

template <class W>
W* MainWindow::named(const char* name) const {
    return findChild<W*>(QString::fromUtf8(name));
}

void MainWindow::build_monitor() {
    MonitorSetup setup;
    setup.table = table_model_;
    setup.colours = &colours_;
    setup.colour_parent = colour_parent();
    setup.colour_list = colour_list();
    setup.interval_text = [this] {
        QString text;
        QMetaObject::invokeMethod(
            this, [this, &text] { text = interval_box_text(); }, Qt::BlockingQueuedConnection);
        return to_text(text);
    };
    setup.fetch_item = [this](const Text& key, int tries, const std::atomic<bool>* stop) {
        return probes_.fetch_item(key, tries, stop);
    };
    setup.fetch_coupon = [this](const Text& key, int tries, const std::atomic<bool>* stop) {
        return probes_.fetch_coupon(key, tries, stop);
    };
    monitor_ = std::make_unique<Monitor>(std::move(setup));
}

void MainWindow::set_monitor_pauses(int32_t row_pause_ms,
                                    std::function<int32_t(int32_t)> interval) {
    MonitorSetup& setup = monitor_->setup();
    setup.row_pause_ms = row_pause_ms;
    setup.interval_pause = std::move(interval);
}

QString MainWindow::interval_box_text() const {
    return named<QLineEdit>("编辑框4")->text();
}

void MainWindow::manual_add() {
    ManualAddContext context{*add_form_, *table_model_, list_file_path(), *dialogs_, probes_};
    ManualAdd(context);
}

void MainWindow::start_monitoring() {
    write_interval_setting(data_dir_, to_text(interval_box_text()));
    named<QPushButton>("按钮2")->setEnabled(false);
    named<QLabel>("透明标签4")->setText(QString::fromUtf8("监视中…"));
    monitor_->start();
}

void MainWindow::stop_monitoring() {
    monitor_->stop();
    named<QPushButton>("按钮2")->setEnabled(true);
    named<QLabel>("透明标签4")->setText(QString::fromUtf8("已停止!"));
}

void MainWindow::build_monitor_group() {
    auto* group = place<QGroupBox>(this, "分组框2", 6, 423, 338, 96, "控制区");
    place<QPushButton>(group, "按钮2", 9, 21, 72, 24, "开始监视");
    place<QPushButton>(group, "按钮3", 9, 59, 72, 24, "停止监视");
    auto* status_group = place<QGroupBox>(group, "分组框3", 89, 23, 112, 56, "状态");
    auto* status = place<QLabel>(status_group, "透明标签4", 8, 16, 96, 24, "未开始");
    status->setAlignment(Qt::AlignCenter);
    place<QLabel>(group, "透明标签5", 208, 20, 80, 16, "检测循环间隔↓");
    place<QLineEdit>(group, "编辑框4", 224, 40, 40, 24, "10");
    place<QLabel>(group, "透明标签6", 212, 69, 69, 16, "分钟检测1次");
}

void MainWindow::build_add_group() {
    auto* group =
        place<QGroupBox>(this, "分组框1", 6, 521, 338, 96, "添加信息    (监视中也可以添加商品)");
    place<QLabel>(group, "透明标签1", 14, 24, 48, 16, "商家Q Q:");
    place<QLineEdit>(group, "编辑框1", 70, 22, 84, 24);
    place<QLabel>(group, "透明标签2", 8, 64, 52, 16, "商品连接:");
    place<QLineEdit>(group, "编辑框2", 70, 61, 84, 24);
    place<QLabel>(group, "透明标签7", 163, 24, 57, 16, "商品标题:");
    place<QLineEdit>(group, "编辑框5", 222, 21, 68, 24);
    place<QLabel>(group, "透明标签3", 162, 61, 56, 16, "领券地址:");
    place<QLineEdit>(group, "编辑框3", 222, 58, 68, 24);
    place<QPushButton>(group, "按钮1", 295, 24, 35, 48, "添加");
}

void MainWindow::build_one_click_group() {
    auto* group =
        place<QGroupBox>(this, "分组框4", 348, 424, 268, 189, "(自动获取/连接/优惠券/标题) ");
    place<QPushButton>(group, "按钮4", 8, 23, 252, 33, "一键自动获取已复制文案信息【手动点添加】");
    place<QLabel>(group, "透明标签9", 11, 61, 248, 24, "如果需要设置商家QQ请点↑,不需设置则点↓");
    place<QPushButton>(group, "按钮5", 8, 90, 252, 33, "一键自动获取已复制文案信息【直接添加】");
    auto* hint = place<QLabel>(group, "透明标签8", 10, 133, 250, 54,
                               "请复制整个文案信息后 按一下 上边的按钮 即可自动获取 "
                               "你复制的文案中的 商品连接 优惠券地址 商品标题。"
                               "商家QQ请自行填写即可。");
    hint->setWordWrap(true);
    // Scratch box for the clipboard text: too small to be seen.
    place<QLineEdit>(group, "编辑框6", 7, 17, 5, 7);
}

void MainWindow::build_announcement() {
    auto* frame = place<QFrame>(this, "外形框12", 617, 426, 413, 181);
    frame->setFrameShape(QFrame::StyledPanel);
    auto* strip = place<QFrame>(frame, "横幅条", 3, 2, 407, 22);
    place<QLabel>(strip, "标签6", 1, 1, 405, 20,
                  "欢迎使用Korvane跑单监视器！官网 korvane.example  交流群 10001");
    auto* browser = place<QTextBrowser>(frame, "超文本浏览框", 3, 26, 408, 150);
    // A local, read-only page: the program makes no request of its own for it.
    browser->setOpenLinks(false);
    browser->setOpenExternalLinks(false);
    browser->setHtml(QString::fromUtf8(kAnnouncement));
}

void MainWindow::set_host(Dialogs* dialogs, Clipboard* clipboard, LinkOpener* links) {
    dialogs_ = dialogs ? dialogs : own_dialogs_.get();
    clipboard_ = clipboard ? clipboard : own_clipboard_.get();
    links_ = links ? links : own_links_.get();
}

template <class Command>
void MainWindow::run_row_command(Command command) {
    RowCommandContext context{*table_model_, list_file_path(), *dialogs_, *clipboard_, *links_};
    command(context);
}

void MainWindow::build_row_menu() {
    row_menu_ = new QMenu(this);
    row_menu_->setObjectName(QString::fromUtf8("菜单"));
    const struct {
        const char* text;
        void (*command)(RowCommandContext&);
    } items[] = {
        {"删除", delete_selected_row},        {"调整本信息位置", move_selected_row},
        {"复制整行信息", copy_selected_row},  {"打开商品", open_selected_product},
        {"打开优惠券", open_selected_coupon}, {"清空", clear_table},
    };
    bool first = true;
    for (const auto& item : items) {
        if (!first) row_menu_->addSeparator();
        first = false;
        auto command = item.command;
        row_menu_->addAction(QString::fromUtf8(item.text), this,
                             [this, command] { run_row_command(command); });
    }
    connect(table_view_, &WatchTableView::row_menu_requested, row_menu_,
            [this](const QPoint& at) { row_menu_->popup(at); });
}

void MainWindow::hook_row_colours() {
    // The store is written from the monitor thread: both callbacks only queue work for the
    // user-interface thread, as a posted message would.
    QPointer<WatchTableView> view = table_view_;
    RowColourStore* store = &colours_;
    colours_.install_hook = [view, store](WindowId) {
        if (!view) return;
        QMetaObject::invokeMethod(
            view,
            [view, store] {
                if (view) view->setItemDelegate(new RowColourDelegate(view, *store));
            },
            Qt::QueuedConnection);
    };
    colours_.request_repaint = [view](WindowId) {
        if (!view) return;
        QMetaObject::invokeMethod(
            view,
            [view] {
                if (view) view->viewport()->update();
            },
            Qt::QueuedConnection);
    };
}

std::filesystem::path MainWindow::list_file_path() const {
    return data_dir_ / kListFileName;
}

void MainWindow::run_creation_sequence() {
    if (const auto interval = read_interval_setting(data_dir_)) {
        named<QLineEdit>("编辑框4")->setText(to_qstring(*interval));
    }
    const std::filesystem::path list = list_file_path();
    if (file_exists(list)) {
        QtEventPump events;
        load_list_file(*table_model_, list, events);
    }
    if (tray_step_) tray_step_();
}

void MainWindow::showEvent(QShowEvent* event) {
    shown_once_ = true;
    QWidget::showEvent(event);
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    // A restored or moved window is never left invisible; a minimised one stays minimised.
    if (shown_once_ && !isMinimized() && !isVisible()) show();
}

}  // namespace korvane
