#include "ui/widgets/twips.h"

#include <QLabel>
#include <QPushButton>

namespace boardcast {

QLabel* label(QWidget* parent, const char* text, int left, int top) {
    auto* l = new QLabel(QLatin1String(text), parent);
    l->move(px(left), px(top));
    l->adjustSize();
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, QRect geometry,
                    const char* tip) {
    auto* b = place(new QPushButton(QLatin1String(caption), parent), name, geometry);
    if (tip) b->setToolTip(QLatin1String(tip));
    return b;
}

}  // namespace boardcast
