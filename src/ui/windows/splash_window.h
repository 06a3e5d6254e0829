#pragma once
// The splash window (design window frmSplash): a picture and one line of promotional text,
// shown first. Its timer (object name Timer2) ticks every 2 ms and adds 2 to progress (the
// design's intTemp); at 150 (the 75th tick) it stops, the
// splash says finished() (the caller then creates and shows the main window) and hides.
// It stays alive, hidden, until the program ends.

#include <QTimer>
#include <QWidget>

namespace boardcast {

class SplashWindow final : public QWidget {
    Q_OBJECT

public:
    explicit SplashWindow(QWidget* parent = nullptr);
    void start();
    int progress = 0;

Q_SIGNALS:
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void tick();
    QTimer timer_;  // a child of the window, so findChild<QTimer*>("Timer2") finds it
};

}  // namespace boardcast
