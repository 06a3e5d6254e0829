#pragma once
// "Reply Check Settings": how many pages the reply check fetches at once, at most how many
// from one forum, and whether it also runs on a timer. It edits a copy of the settings;
// the opener takes settings() when the dialog is accepted.

#include <QDialog>

#include "core/watching/check_settings.h"

class QCheckBox;
class QSpinBox;

namespace boardcast {

class CheckOptionsDialog final : public QDialog {
    Q_OBJECT

public:
    explicit CheckOptionsDialog(const CheckSettings& settings, QWidget* parent = nullptr);
    CheckSettings settings() const;

private:
    QSpinBox* jobs_ = nullptr;
    QSpinBox* perHost_ = nullptr;
    QCheckBox* onTimer_ = nullptr;
    QSpinBox* minutes_ = nullptr;
    QCheckBox* asLoggedIn_ = nullptr;
};

}  // namespace boardcast
