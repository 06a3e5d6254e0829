#include "ui/windows/template_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/shell/product_identity.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/widgets/appearance.h"
#include "ui/widgets/message_box.h"

namespace boardcast {

namespace {

// Slots 0 to 2 are the built-in html, ubb and ezboard templates.
constexpr int kDefaultSlots = 3;

struct Column {
    const char* group;  // object names are group + "_" + row
    const char* heading;
    int minimumWidth;  // link strings such as "<a href='" must stay readable
};
constexpr std::array<Column, 5> kColumns = {{{"txtName", "Name", 110},
                                             {"txtLinkOpen01", "Link Open", 150},
                                             {"txtLinkOpen02", "Link Middle", 110},
                                             {"txtLinkClose", "Link End", 110},
                                             {"txtMailCall", "Email", 90}}};
static_assert(kColumns.size() == kTemplateFields.size());

QString indexed(const char* group, int row) {
    return QLatin1String(group) + QLatin1Char('_') + QString::number(row);
}

}  // namespace

TemplateEditor::TemplateEditor(MainWindow& main, QWidget* parent)
    : QWidget(parent, Qt::Window), main_(main) {
    setObjectName(QStringLiteral("frmCustom"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Custom Message Templates"));

    auto* intro = new QLabel(
        QStringLiteral("You may use this form to create custom templates for message insertion.  "
                       "Just enter the name, and the required parameters.  Your template will "
                       "then be displayed in the drop down box on the main form.  We don't "
                       "recommend changing the default templates, but if they become outdated "
                       "you may wish to update them."),
        this);
    intro->setObjectName(QStringLiteral("Label1"));
    intro->setWordWrap(true);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    for (int c = 0; c < kFieldCount; ++c) {
        const Column& column = kColumns[static_cast<size_t>(c)];
        auto* heading = new QLabel(QLatin1String(column.heading), this);
        QFont bold = heading->font();
        bold.setBold(true);
        heading->setFont(bold);
        grid->addWidget(heading, 0, c + 1);
        grid->setColumnStretch(c + 1, c == 0 ? 2 : 3);
    }
    const TemplateTable& table = main_.templates();
    for (int row = 0; row < kTemplateSlots; ++row) {
        const auto slot = static_cast<size_t>(row);
        auto* number = new QLabel(QString::number(row + 1), this);
        number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        grid->addWidget(number, row + 1, 0);
        for (int c = 0; c < kFieldCount; ++c) {
            const auto field = static_cast<size_t>(c);
            auto* box = new QLineEdit(this);
            box->setObjectName(indexed(kColumns[field].group, row));
            box->setMinimumWidth(kColumns[field].minimumWidth);
            box->setText(toQString(templateField(table[slot], kTemplateFields[field])));
            box->setCursorPosition(0);
            boxes_[slot][field] = box;
            grid->addWidget(box, row + 1, c + 1);
        }
        clearButtons[slot] = new QPushButton(QStringLiteral("del"), this);
        clearButtons[slot]->setObjectName(indexed("cmdDel", row));
        clearButtons[slot]->setFixedWidth(44);
        grid->addWidget(clearButtons[slot], row + 1, kFieldCount + 1);
        connect(clearButtons[slot], &QPushButton::clicked, this,
                [this, row] { clearTemplateRow(row); });

        const bool custom = row >= kDefaultSlots;
        for (QLineEdit* box : boxes_[slot]) box->setEnabled(custom);
        clearButtons[slot]->setEnabled(custom);
    }

    unlockDefaultsBox = new QCheckBox(QStringLiteral("Enable changing of default templates"), this);
    unlockDefaultsBox->setObjectName(QStringLiteral("Check1"));
    saveButton = new QPushButton(QStringLiteral("Save and Close"), this);
    saveButton->setObjectName(QStringLiteral("Command1"));
    saveButton->setDefault(true);
    connect(unlockDefaultsBox, &QCheckBox::toggled, this, &TemplateEditor::toggleDefaultTemplates);
    connect(saveButton, &QPushButton::clicked, this, &TemplateEditor::saveTemplateEditor);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(unlockDefaultsBox);
    bottom->addStretch(1);
    bottom->addWidget(saveButton);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 12, 12, 12);
    layout->setSpacing(10);
    layout->addWidget(intro);
    layout->addLayout(grid);
    layout->addLayout(bottom);

    // Element 0 of the skin-label array, used only when skinning is on.
    auto* skinLabel = new QLabel(this);
    skinLabel->setObjectName(QStringLiteral("SkinLabel1"));
    skinLabel->hide();
    skinWindow(*this, {{this, QStringLiteral("SkinLabel1")}});
}

void TemplateEditor::toggleDefaultTemplates() {
    const bool on = unlockDefaultsBox->isChecked();
    for (int row = 0; row < kDefaultSlots; ++row) {
        const Row& boxes = boxes_[static_cast<size_t>(row)];
        for (size_t field = 1; field < boxes.size(); ++field) boxes[field]->setEnabled(on);
        clearButtons[static_cast<size_t>(row)]->setEnabled(on);
    }
}

void TemplateEditor::clearTemplateRow(int row) {
    if (row < 0 || row >= kTemplateSlots) return;
    for (QLineEdit* box : boxes_[static_cast<size_t>(row)]) box->clear();
}

void TemplateEditor::saveTemplateEditor() {
    TemplateTable& table = main_.templates();
    for (size_t slot = 0; slot < table.size(); ++slot) {
        for (size_t field = 0; field < kTemplateFields.size(); ++field) {
            templateField(table[slot], kTemplateFields[field]) =
                toStdString(boxes_[slot][field]->text());
        }
    }
    main_.updateInterface();
    if (Status s = saveTemplates(main_.settings(), table); !s) {
        MessageBox::show(
            this, toQString(productIdentity().productName),
            QStringLiteral("The templates were not stored. ") + toQString(s.error().text),
            MessageBox::Icon::Warning);
        return;
    }
    hide();
}

}  // namespace boardcast
