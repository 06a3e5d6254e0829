#include "ui/widgets/status_panels.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

namespace boardcast {

void addStatusPanels(QMainWindow& window, std::span<QLabel*> panels) {
    QStatusBar* bar = window.statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (size_t i = 0; i < panels.size(); ++i) {
        panels[i] = new QLabel(bar);
        panels[i]->setObjectName(QStringLiteral("StatusPanel%1").arg(i + 1));
        panels[i]->setFrameShape(QFrame::StyledPanel);
        panels[i]->setTextFormat(Qt::PlainText);  // page and status texts are never markup
        bar->addWidget(panels[i]);
    }
}

}  // namespace boardcast
