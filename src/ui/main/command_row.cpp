#include "ui/main/command_row.h"

#include <QPushButton>
#include <QStyleOptionButton>
#include <QStylePainter>
#include <QToolButton>

#include "ui/icons/command_icons.h"
#include "ui/widgets/twips.h"

namespace boardcast {

namespace {

QToolButton* squareButton(QWidget* parent, const char* name, const char* caption, const char* tip,
                          CommandIcon icon, QRect geometry) {
    auto* b = place(new QToolButton(parent), name, geometry);
    b->setText(QLatin1String(caption));
    b->setToolTip(QLatin1String(tip));
    b->setIcon(commandIcon(icon));
    b->setIconSize(QSize(24, 24));
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    return b;
}

// A push button whose caption wraps onto several lines, as the long web-site caption needs.
class WrappingButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent*) override {
        QStylePainter painter(this);
        QStyleOptionButton option;
        initStyleOption(&option);
        option.text.clear();
        painter.drawControl(QStyle::CE_PushButton, option);
        painter.drawText(rect().adjusted(6, 2, -6, -2), Qt::AlignCenter | Qt::TextWordWrap, text());
    }
};

}  // namespace

CommandRow buildCommandRow(QWidget* area) {
    CommandRow row;
    row.autoInsert = squareButton(area, "cmdMessage", "Auto-Insert",
                                  "Once you are on the page where you can post your message, "
                                  "click here to insert it.",
                                  CommandIcon::AutoInsert, tw(60, 60, 1600, 800));
    label(area, "as", 1740, 540);
    row.preview = squareButton(area, "cmdPreview", "Preview",
                               "See a preview of your message in the currently selected format",
                               CommandIcon::Preview, tw(3840, 60, 800, 800));
    row.copy = squareButton(area, "cmdCopy", "Copy",
                            "Copy your message to the clipboard in the selected format",
                            CommandIcon::Copy, tw(4680, 60, 800, 800));
    row.save = squareButton(area, "cmdSave", "Save", "Save the current message", CommandIcon::Save,
                            tw(5520, 60, 800, 800));
    row.load = squareButton(area, "cmdLoad", "Load", "Load a saved message", CommandIcon::Load,
                            tw(6360, 60, 800, 800));
    row.options = squareButton(area, "cmdOptions", "Options", "Options", CommandIcon::Options,
                               tw(7200, 60, 800, 800));
    row.website = place(new WrappingButton(area), "Command1", tw(8040, 60, 2115, 795));
    row.website->setToolTip(QStringLiteral("Visit us!"));
    return row;
}

}  // namespace boardcast
