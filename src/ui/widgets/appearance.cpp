#include "ui/widgets/appearance.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWidget>

#include "core/shell/product_identity.h"

namespace boardcast {

void setTopmost(QWidget& window, bool onTop) {
    if (window.windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) return;
    // Changing a window flag re-creates the native window and hides it; put it back as it was.
    const bool visible = window.isVisible();
    const QRect geometry = window.geometry();
    const Qt::WindowStates states = window.windowState();
    window.setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (!visible) return;
    window.setGeometry(geometry);
    window.setWindowState(states);
    window.show();
}

ProgramSkin& programSkin() {
    static ProgramSkin skin{
        {QColor(0xdf, 0xe6, 0xee), QColor(0x1b, 0x28, 0x38), QColor(0xc9, 0xd6, 0xe3)}, false};
    return skin;
}

void startProgramSkin() {
    programSkin().running = true;
}
void stopProgramSkin() {
    programSkin().running = false;
}

namespace {

void recolour(QWidget& widget,
              std::initializer_list<std::pair<QPalette::ColorRole, QColor>> roles) {
    QPalette palette = widget.palette();
    for (const auto& [role, colour] : roles) palette.setColor(role, colour);
    widget.setPalette(palette);
}

bool isFieldControl(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QPlainTextEdit*>(w) ||
           qobject_cast<const QTextEdit*>(w) || qobject_cast<const QComboBox*>(w) ||
           qobject_cast<const QAbstractItemView*>(w);
}

bool isPicture(const QLabel* label) {
    return !label->pixmap().isNull() || !label->picture().isNull();
}

}  // namespace

void applySkin(QWidget& window) {
    const SkinColours& c = programSkin().colours;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractButton*>(w)) {
            recolour(*w, {{QPalette::Button, c.buttonAndField}});
        } else if (isFieldControl(w)) {
            recolour(*w, {{QPalette::Base, c.buttonAndField}, {QPalette::Text, c.fieldText}});
        } else if (auto* label = qobject_cast<QLabel*>(w); label && isPicture(label)) {
            recolour(*w, {{QPalette::Window, c.pictureBackground}});
            w->setAutoFillBackground(true);
        }
    }
    recolour(window,
             {{QPalette::Window, c.pictureBackground}, {QPalette::Button, c.buttonAndField}});
}

void mirrorLabels(QWidget& window, const std::vector<SkinLabelArray>& arrays) {
    std::vector<int> next(arrays.size(), 1);
    const auto labels = window.findChildren<QLabel*>();
    for (QLabel* label : labels) {
        if (isPicture(label)) continue;
        for (size_t i = 0; i < arrays.size(); ++i) {
            const SkinLabelArray& array = arrays[i];
            if (label->parentWidget() != array.container || label->objectName() == array.name ||
                label->objectName().startsWith(array.name + QLatin1Char('_'))) {
                continue;
            }
            auto* copy = new QLabel(array.container);
            copy->setObjectName(array.name + QLatin1Char('_') + QString::number(next[i]++));
            copy->setGeometry(label->geometry());
            copy->setFont(label->font());
            copy->setText(label->text());
            copy->setVisible(label->isVisibleTo(array.container));
            break;
        }
    }
    applySkin(window);
}

void skinWindow(QWidget& window, const std::vector<SkinLabelArray>& arrays) {
    if (!productIdentity().skinEnabled) return;
    if (arrays.empty()) {
        applySkin(window);
    } else {
        mirrorLabels(window, arrays);
    }
}

}  // namespace boardcast
