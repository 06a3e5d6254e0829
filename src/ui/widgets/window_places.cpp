#include "ui/widgets/window_places.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QScreen>
#include <iostream>

namespace boardcast {

namespace {

SettingKey placeKey(std::string_view name) {
    return {"Windows", name, ""};
}

}  // namespace

bool restorePlace(QWidget& window, SettingsStore& settings, std::string_view name) {
    const std::string stored = readSetting(settings, placeKey(name));
    if (stored.empty()) return false;
    // restoreGeometry moves a place that lies off the screens onto one.
    return window.restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(stored)));
}

void keepPlace(const QWidget& window, SettingsStore& settings, std::string_view name) {
    const QByteArray place = window.saveGeometry().toBase64();
    if (Status s = writeSetting(settings, placeKey(name), place.toStdString()); !s) {
        std::cerr << "boardcast: " << s.error().text << "\n";
    }
}

void placeBeside(QWidget& window, const QWidget& main, int commandRowBottom) {
    const QScreen* screen = main.screen() ? main.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect room = screen->availableGeometry();
    const QRect mainFrame = main.frameGeometry();
    const QSize frameExtra = window.frameGeometry().size() - window.geometry().size();
    const int right = room.right() - mainFrame.right();
    if (right >= 400) {
        window.resize(std::min(window.width(), right - frameExtra.width()),
                      std::min(window.height(), room.height() - frameExtra.height()));
        window.move(mainFrame.right() + 1, std::max(room.top(), mainFrame.top()));
        return;
    }
    // The window manager may not have framed the main window yet, which moves it down by
    // its title bar: room is left for one.
    const int titleBar = 40;
    const QPoint below = main.mapToGlobal(QPoint(main.width() / 3, commandRowBottom + titleBar));
    window.resize(std::min(window.width(), main.width() - main.width() / 3),
                  std::max(200, main.geometry().bottom() - below.y() - frameExtra.height()));
    window.move(below);
}

}  // namespace boardcast
