// The exit choice for real: a child run of this test binary opens the prompt on a main window
// with a list file loaded, a monitor pass under way and unsaved table edits, and chooses
// "退出程序". The parent checks how the child ended and what it left behind.
#include <gtest/gtest.h>

#include <unistd.h>
#include <QCoreApplication>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "app/close_prompt_guard.h"
#include "app/main_window.h"
#include "app/qt_text.h"
#include "app/qt_watch_table.h"
#include "app/tray_icon.h"
#include "files/file_io.h"
#include "shell/settings_file.h"
#include "shell/tray_icon_picture.h"
#include "text/code_page.h"
#include "watchlist/list_file.h"
#include "watchlist/memory_watch_table.h"

namespace korvane {
namespace {

namespace fs = std::filesystem;

constexpr const char* kChildDirVariable = "KM_CLOSE_PROMPT_CHILD_DIR";
constexpr const char* kChildTest = "ClosePromptChild.ExitChoiceEndsTheProcess";
constexpr const char* kChoosingExit = "child: choosing exit";

Bytes two_row_list_file() {
    MemoryWatchTable table;
    for (int r = 0; r < 2; ++r) {
        WatchEntry e;
        for (int c = 1; c <= 13; ++c)
            e.cells[c] = gbk("格") + std::to_string(r * 100 + c);
        table.append_rows({e});
    }
    return list_file_bytes(table);
}

TEST(ClosePromptExit, ExitChoiceEndsTheRealProcessAtOnceWithCodeZero) {
    const fs::path dir = fs::temp_directory_path() / ("km-exit-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const fs::path list = dir / kListFileName;
    const Bytes original = two_row_list_file();
    ASSERT_TRUE(write_file_atomically(list, original));

    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kChildDirVariable), QString::fromStdString(dir.string()));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=") + QString::fromLatin1(kChildTest)});
    ASSERT_TRUE(child.waitForStarted());
    // A bound for a broken child only; a working one ends as soon as the prompt is answered.
    if (!child.waitForFinished(120000)) {
        child.kill();
        child.waitForFinished();
        ADD_FAILURE() << "the child did not end";
    }
    const QByteArray output = child.readAll();
    SCOPED_TRACE(output.toStdString());

    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 0);
    EXPECT_TRUE(output.contains(kChoosingExit));
    // Ended inside the test: the runner never got to report it, passed or failed.
    EXPECT_FALSE(output.contains("[       OK ]"));
    EXPECT_FALSE(output.contains("[  FAILED  ]"));
    EXPECT_FALSE(output.contains("tests ran"));

    Bytes after;
    ASSERT_TRUE(read_file(list, after));
    EXPECT_EQ(after, original);
    fs::remove_all(dir);
}

TEST(ClosePromptChild, ExitChoiceEndsTheProcess) {
    const char* dir = std::getenv(kChildDirVariable);
    if (!dir) GTEST_SKIP() << "runs only as the child of ClosePromptExit";

    MainWindow window{fs::path(dir)};
    window.run_creation_sequence();
    ASSERT_EQ(window.watch_table().row_count(), 2);
    TrayIcon tray;
    tray.add_icon(&window, program_icon_ico_bytes(), true, to_text(window.windowTitle()));
    install_close_guard(&window, &tray);  // the real end of the process
    window.show();

    // A monitor pass that is in the middle of a request when the user exits.
    std::atomic<bool> in_request{false};
    const PageProbe stuck = [&](const Text&, int, const std::atomic<bool>* stop) {
        in_request = true;
        while (!(stop && *stop))
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        return Text{};
    };
    window.set_probes({stuck, stuck});
    window.start_monitoring();
    ASSERT_TRUE(QTest::qWaitFor([&] { return in_request.load(); }, 60000));
    // A change in the table that no save has written out.
    window.watch_table().set_cell(0, 5, "999");

    QTimer::singleShot(0, [] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (!w->isVisible() || w->objectName() != QString::fromUtf8("关闭提示")) continue;
            w->findChild<QRadioButton*>(QString::fromUtf8("单选框2"))->click();
            std::printf("%s\n", kChoosingExit);
            std::fflush(stdout);
            w->findChild<QPushButton*>(QString::fromUtf8("开始"))->click();
        }
    });
    window.close();
    ADD_FAILURE() << "still running after the exit choice";
}

}  // namespace
}  // namespace korvane
