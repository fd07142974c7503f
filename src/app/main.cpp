#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "app/close_prompt_guard.h"
#include "app/main_window.h"
#include "app/tray_controller.h"
#include "app/tray_icon.h"
#include "host/memory_policy.h"

int main(int argc, char* argv[]) {
    korvane::keep_large_blocks_out_of_the_heap();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("korvane-monitor"));

    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption data_dir_option(
        QStringLiteral("data-dir"),
        QStringLiteral("Directory of the settings and list files (default: the program's)."),
        QStringLiteral("DIR"));
    parser.addOption(data_dir_option);
    parser.process(app);

    const QString dir = parser.isSet(data_dir_option) ? parser.value(data_dir_option)
                                                      : QCoreApplication::applicationDirPath();
    QDir().mkpath(dir);
    const QByteArray native = QFile::encodeName(QDir(dir).absolutePath());

    korvane::TrayIcon tray;  // before the window, so it outlives it
    korvane::MainWindow window{std::filesystem::path(native.toStdString())};
    korvane::CloseGuard* guard = korvane::install_close_guard(&window, &tray);
    korvane::TrayController tray_controller(&window, &window.tray_menu(), tray,
                                            [guard] { guard->open_prompt(); });
    window.set_tray_step([&tray_controller] { tray_controller.install_tray_icon(); });
    window.run_creation_sequence();
    window.show();
    return QApplication::exec();
}
