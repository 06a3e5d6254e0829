#pragma once
// The template editor "Custom Message Templates" (design window frmCustom): one row per slot of the
// main window's template table (row = slot), five boxes per row for the template's fields and a
// "del" button that empties them. Rows 0 to 2 hold the built-in templates: disabled until "Enable
// changing of default templates" is ticked, and even then their names stay disabled. Edits stay in
// the boxes until "Save and Close" copies them into the table, refills the main window's format
// chooser, stores the table and hides the window. The window deletes itself when closed with its
// close box, discarding unsaved edits; a hidden window keeps its boxes and check box.

#include <QWidget>
#include <array>

#include "core/conversion/link_templates.h"

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace boardcast {

class MainWindow;

class TemplateEditor final : public QWidget {
    Q_OBJECT

public:
    // fillTemplateEditor: copies main.templates() into the forty boxes. main must outlive
    // the window.
    explicit TemplateEditor(MainWindow& main, QWidget* parent = nullptr);

    // Check1 clicked: enables or disables the link boxes and "del" of rows 0 to 2 to match it.
    void toggleDefaultTemplates();
    // "del": empties the row's five boxes, the name included; the table is not touched.
    void clearTemplateRow(int row);
    // "Save and Close": the boxes go into the table unchanged, the chooser is refilled, the
    // table is stored, and the window hides. When the settings cannot be written the error is
    // shown and the window stays open (table and chooser already hold the new templates).
    void saveTemplateEditor();

private:
    static constexpr int kFieldCount = static_cast<int>(kTemplateFields.size());
    using Row = std::array<QLineEdit*, kFieldCount>;  // in kTemplateFields order

    MainWindow& main_;
    std::array<Row, kTemplateSlots> boxes_{};
    std::array<QPushButton*, kTemplateSlots> clearButtons{};
    QCheckBox* unlockDefaultsBox = nullptr;
    QPushButton* saveButton = nullptr;
};

}  // namespace boardcast
