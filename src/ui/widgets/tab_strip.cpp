#include "ui/widgets/tab_strip.h"

#include <QGroupBox>
#include <QTabBar>
#include <QVBoxLayout>

#include "ui/widgets/twips.h"

namespace boardcast {

TabStrip buildTabStrip(QWidget* parent, const char* name, const QStringList& captions,
                       QRect geometry) {
    TabStrip strip;
    strip.box = place(new QWidget(parent), name, geometry);
    auto* layout = new QVBoxLayout(strip.box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    strip.tabs = new QTabBar(strip.box);
    strip.tabs->setObjectName(QLatin1String(name) + QStringLiteral("Tabs"));
    for (const QString& caption : captions) strip.tabs->addTab(caption);
    layout->addWidget(strip.tabs);
    layout->addWidget(new QGroupBox(strip.box), 1);
    return strip;
}

}  // namespace boardcast
