#pragma once
// The splash window: a picture and one line of promotional text, shown first. Its timer
// Timer2 ticks every 2 ms and adds 2 to intTemp; at 150 (the 75th tick) it stops, the
// splash says finished() (the caller then creates and shows the main window) and hides.
// It stays alive, hidden, until the program ends.

#include <QTimer>
#include <QWidget>

namespace boardcast {

class frmSplash final : public QWidget {
    Q_OBJECT

public:
    explicit frmSplash(QWidget* parent = nullptr);
    void start();
    int intTemp = 0;

Q_SIGNALS:
    void finished();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void tick();
    QTimer Timer2;  // a child of the window, so findChild<QTimer*>("Timer2") finds it
};

}  // namespace boardcast
