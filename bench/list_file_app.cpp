// List file load and save into the window's table model, at 10,000 and 100,000 rows.
// Goals on a 2-core machine: 100,000 rows load in 0.5 s or less and save in 0.2 s or less,
// with the table under 100 MB.
#include <unistd.h>
#include <QApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/qt_event_pump.h"
#include "app/qt_watch_table.h"
#include "app/watch_table_view.h"
#include "files/file_io.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

using namespace korvane;
namespace fs = std::filesystem;

namespace {

double ms_since(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

long status_kb(const char* field) {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(field, 0) == 0) return std::atol(line.c_str() + std::strlen(field));
    }
    return -1;
}

// A realistic row: Chinese title, links, numbers and a check time.
WatchEntry sample_row(int i) {
    WatchEntry e;
    e.cells[1] = std::to_string(100000 + i);
    e.cells[2] = gbk("夏季新款纯棉短袖T恤男士宽松百搭") + std::to_string(i);
    e.cells[3] = std::to_string(520000000000LL + i);
    e.cells[4] = "1234";
    e.cells[5] = "1300";
    e.cells[6] = "66";
    e.cells[7] =
        "http://shop.m.taobao.com/shop/coupon.htm?activityId=" + std::to_string(900000 + i) +
        "&sellerId=" + std::to_string(2000000 + i);
    e.cells[8] = "10000";
    e.cells[9] = "2400";
    e.cells[10] = "2500";
    e.cells[11] = "66";
    e.cells[12] = gbk("状态正常");
    e.cells[13] = gbk("2026年12月11日14时5分");
    return e;
}

void run(int rows, const fs::path& dir) {
    const fs::path file = dir / ("bench-" + std::to_string(rows) + ".db");
    {
        MemoryWatchTable source;
        std::vector<WatchEntry> entries;
        entries.reserve(rows);
        for (int i = 0; i < rows; ++i)
            entries.push_back(sample_row(i));
        source.append_rows(entries);
        save_list_file(source, file);
    }
    const auto size_mb = static_cast<double>(fs::file_size(file)) / (1024.0 * 1024.0);

    auto t0 = std::chrono::steady_clock::now();
    Bytes bytes;
    read_file(file, bytes);
    const TextList records = text_split(bytes, gbk("=QXT分割="));
    size_t fields = 0;
    for (const Text& r : records)
        fields += text_split(r, gbk("-QXT分割-")).size();
    const double baseline = ms_since(t0);
    t0 = std::chrono::steady_clock::now();
    const size_t parsed = parse_list_file(bytes).size();
    const double parse = ms_since(t0);
    Bytes().swap(bytes);

    const long rss_before = status_kb("VmRSS:");
    auto* model = new QtWatchTable;
    auto* view = new WatchTableView;
    view->setModel(model);
    view->resize(1020, 411);
    view->show();
    QtEventPump events;
    t0 = std::chrono::steady_clock::now();
    load_list_file(*model, file, events);
    QCoreApplication::processEvents();
    const double load = ms_since(t0);
    const long rss_after = status_kb("VmRSS:");

    const fs::path out = dir / ("bench-out-" + std::to_string(rows) + ".db");
    t0 = std::chrono::steady_clock::now();
    const Bytes image = list_file_bytes(*model);
    const double serialise = ms_since(t0);
    t0 = std::chrono::steady_clock::now();
    save_list_file(*model, out);
    const double save = ms_since(t0);

    std::printf(
        "%7d rows (%.1f MB): read+split baseline %7.1f ms (%zu fields) | parse %.1f ms (%zu rows) "
        "| load into window "
        "%7.1f ms | save %7.1f ms (bytes alone %.1f ms) | table RSS +%.1f MB | peak RSS %.1f MB | "
        "same bytes: %s\n",
        rows, size_mb, baseline, fields, parse, parsed, load, save, serialise,
        (rss_after - rss_before) / 1024.0, status_kb("VmHWM:") / 1024.0, [&] {
            Bytes a, b;
            read_file(file, a);
            read_file(out, b);
            return a == b ? "yes" : "NO";
        }());
    delete view;
    delete model;
}

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    const fs::path dir = fs::temp_directory_path() / ("km-bench-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    for (int rows : {10000, 100000})
        run(rows, dir);
    fs::remove_all(dir);
    return 0;
}
