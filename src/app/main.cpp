#include <QApplication>
#include <QCommandLineParser>
#include <QDir>

#include "app/main_window.h"

int main(int argc, char* argv[]) {
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

    korvane::MainWindow window{std::filesystem::path(native.toStdString())};
    window.run_creation_sequence();
    window.show();
    return QApplication::exec();
}
