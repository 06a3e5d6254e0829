#pragma once
// A tab strip whose box runs down behind the panels that stand on top of it, as the main
// window's TabStrip2 does behind Your Forums and Your Posts. The tabs are named
// "<name>Tabs" and the box "<name>".

#include <QRect>
#include <QStringList>

class QTabBar;
class QWidget;

namespace boardcast {

struct TabStrip {
    QWidget* box = nullptr;
    QTabBar* tabs = nullptr;
};

TabStrip buildTabStrip(QWidget* parent, const char* name, const QStringList& captions,
                       QRect geometry);

}  // namespace boardcast
