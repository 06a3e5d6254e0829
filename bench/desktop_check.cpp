// Times the desktop program's reply check: the real main window on a data folder
// given on the command line, from "Check for new replies" to panel 1's "finished". Prints
// the seconds. Run by bench/check_bench.sh beside `boardcast check` on the same posts.
// Usage: bench_desktop_check DATA-FOLDER

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "core/storage/settings_store.h"
#include "ui/main/main_window.h"

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: bench_desktop_check DATA-FOLDER\n");
        return 2;
    }
    // Offscreen unless told otherwise: check_bench.sh runs it in a real window under Xvfb.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    QApplication app(argc, argv);
    boardcast::MemorySettingsStore settings;  // the default check: 8 at once, 6 a host
    boardcast::MainWindow window(argv[1], settings, "about:blank");
    window.show();
    auto* panel = window.findChild<QLabel*>(QStringLiteral("StatusPanel1"));
    auto* check = window.findChild<QPushButton*>(QStringLiteral("cmdReplies"));
    QElapsedTimer clock;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &app, [&] {
        if (!clock.isValid()) {
            clock.start();
            check->click();
        } else if (panel->text().startsWith(QStringLiteral("finished"))) {
            std::printf("%.2f %s\n", static_cast<double>(clock.elapsed()) / 1000.0,
                        qPrintable(panel->text()));
            app.quit();
        }
    });
    poll.start(5);
    return QApplication::exec();
}
