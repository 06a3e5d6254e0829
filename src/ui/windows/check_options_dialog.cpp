#include "ui/windows/check_options_dialog.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QSpinBox>

namespace boardcast {

namespace {

QSpinBox* spinBox(QWidget* parent, const char* name, int low, int high, int value) {
    auto* box = new QSpinBox(parent);
    box->setObjectName(QLatin1String(name));
    box->setRange(low, high);
    box->setValue(value);
    return box;
}

}  // namespace

CheckOptionsDialog::CheckOptionsDialog(const CheckSettings& settings, QWidget* parent)
    : QDialog(parent) {
    setObjectName(QStringLiteral("checkOptions"));
    setWindowTitle(QStringLiteral("Reply Check Settings"));
    jobs_ = spinBox(this, "checkJobs", 1, kMaxCheckJobs, settings.jobs);
    perHost_ = spinBox(this, "checkPerHost", 1, kMaxCheckJobs, settings.perHost);
    onTimer_ = new QCheckBox(QStringLiteral("Check for new replies every"), this);
    onTimer_->setObjectName(QStringLiteral("checkOnTimer"));
    onTimer_->setChecked(settings.everyMinutes > 0);
    minutes_ = spinBox(this, "checkMinutes", kMinCheckMinutes, kMaxCheckMinutes,
                       settings.everyMinutes > 0 ? settings.everyMinutes : 60);
    minutes_->setSuffix(QStringLiteral(" minutes"));
    minutes_->setEnabled(onTimer_->isChecked());
    connect(onTimer_, &QCheckBox::toggled, minutes_, &QWidget::setEnabled);
    asLoggedIn_ = new QCheckBox(QStringLiteral("Check threads as the logged-in user"), this);
    asLoggedIn_->setObjectName(QStringLiteral("checkAsLoggedIn"));
    asLoggedIn_->setChecked(settings.asLoggedInUser);
    asLoggedIn_->setToolTip(QStringLiteral(
        "Send the cookies of your forum logins in the browser with the check's requests"));

    auto* form = new QFormLayout(this);
    form->addRow(QStringLiteral("Pages fetched at once:"), jobs_);
    form->addRow(QStringLiteral("At most from one forum:"), perHost_);
    auto* timerRow = new QHBoxLayout;
    timerRow->addWidget(onTimer_);
    timerRow->addWidget(minutes_);
    form->addRow(timerRow);
    form->addRow(asLoggedIn_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

CheckSettings CheckOptionsDialog::settings() const {
    return {jobs_->value(), perHost_->value(), onTimer_->isChecked() ? minutes_->value() : 0,
            asLoggedIn_->isChecked()};
}

}  // namespace boardcast
