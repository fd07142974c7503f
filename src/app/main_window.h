// The main window "窗口": the watch table, the monitoring controls, the add form, the
// one-click group and the announcement box, each under its layout name so that tests and
// tools find it by name.
#pragma once

#include <QWidget>
#include <filesystem>
#include <functional>
#include <memory>

#include "host/clipboard.h"
#include "host/dialogs.h"
#include "host/link_opener.h"
#include "probes/page_probe.h"
#include "watchlist/row_colours.h"

class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextBrowser;

namespace korvane {

class Monitor;
class QtAddForm;
class QtWatchTable;
class WatchTableView;

class MainWindow final : public QWidget {
    Q_OBJECT
  public:
    explicit MainWindow(std::filesystem::path data_dir,
                        RowColourStore& colours = row_colour_store(), QWidget* parent = nullptr);
    ~MainWindow() override;

    // Interval box, list file, then the tray step: run once before the window is first shown.
    void run_creation_sequence();

    const std::filesystem::path& data_dir() const { return data_dir_; }
    std::filesystem::path list_file_path() const;
    QtWatchTable& watch_table() { return *table_model_; }
    WatchTableView& watch_table_view() { return *table_view_; }
    QMenu& row_menu() { return *row_menu_; }
    QMenu& tray_menu() { return *tray_menu_; }

    // The last step of the creation sequence; the tray icon installs itself here.
    void set_tray_step(std::function<void()> step) { tray_step_ = std::move(step); }

    static QString caption();

    // The marketplace probes the add and the monitor use; tests point them elsewhere.
    // Set them only while monitoring is stopped.
    void set_probes(PageProbes probes) { probes_ = std::move(probes); }
    // Overrides the monitor's pauses (between rows, and per interval minute count).
    void set_monitor_pauses(int32_t row_pause_ms, std::function<int32_t(int32_t)> interval);

    void manual_add();        // 按钮1
    void start_monitoring();  // 按钮2
    void stop_monitoring();   // 按钮3
    Monitor& monitor() { return *monitor_; }

    // Row colours: the store and the identities the monitor colours rows under.
    RowColourStore& colours() { return colours_; }
    WindowId colour_parent() const { return this; }
    WindowId colour_list() const { return table_view_; }

    // What the window's commands use for boxes, the clipboard and the browser; tests hand in
    // their own. The window keeps the Qt ones as defaults.
    void set_host(Dialogs* dialogs, Clipboard* clipboard, LinkOpener* links);
    Dialogs& dialogs() { return *dialogs_; }
    Clipboard& clipboard() { return *clipboard_; }
    LinkOpener& links() { return *links_; }

  protected:
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void build_monitor_group();
    void build_add_group();
    void build_one_click_group();
    void build_announcement();
    void build_row_menu();
    void hook_row_colours();
    void build_monitor();
    QString interval_box_text() const;
    template <class W>
    W* named(const char* name) const;
    template <class Command>
    void run_row_command(Command command);

    std::filesystem::path data_dir_;
    RowColourStore& colours_;
    QtWatchTable* table_model_ = nullptr;
    WatchTableView* table_view_ = nullptr;
    QMenu* row_menu_ = nullptr;
    QMenu* tray_menu_ = nullptr;
    std::function<void()> tray_step_;
    std::unique_ptr<Dialogs> own_dialogs_;
    std::unique_ptr<Clipboard> own_clipboard_;
    std::unique_ptr<LinkOpener> own_links_;
    Dialogs* dialogs_ = nullptr;
    Clipboard* clipboard_ = nullptr;
    LinkOpener* links_ = nullptr;
    bool shown_once_ = false;
    PageProbes probes_;
    std::unique_ptr<QtAddForm> add_form_;
    std::unique_ptr<Monitor> monitor_;
};

}  // namespace korvane
