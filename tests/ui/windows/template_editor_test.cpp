// The template editor, offscreen, beside a main window with fresh settings per test.

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "core/conversion/message_output.h"
#include "core/shell/product_identity.h"
#include "core/storage/settings_keys.h"
#include "failing_settings.h"
#include "platform/qt_strings.h"
#include "ui/main/main_window.h"
#include "ui/widgets/message_box.h"
#include "ui/windows/template_editor.h"

using namespace boardcast;

namespace {

using FailingStore = testing_support::FailingSettingsStore;

constexpr std::array<const char*, 5> kGroups = {"txtName", "txtLinkOpen01", "txtLinkOpen02",
                                                "txtLinkClose", "txtMailCall"};

}  // namespace

class FrmCustomTest : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<MemorySettingsStore> settings_;
    std::unique_ptr<MainWindow> main_;
    QPointer<TemplateEditor> editor_;

    TemplateEditor& open() {
        editor_ = new TemplateEditor(*main_);
        editor_->show();
        return *editor_;
    }
    template <class T>
    T* child(const QString& name) {
        T* widget = editor_->findChild<T*>(name);
        if (!widget) qFatal("no control %s", qPrintable(name));
        return widget;
    }
    QLineEdit* box(size_t field, int row) {
        return child<QLineEdit>(QLatin1String(kGroups[field]) + QLatin1Char('_') +
                                QString::number(row));
    }
    QPushButton* del(int row) { return child<QPushButton>(QStringLiteral("cmdDel_%1").arg(row)); }
    QCheckBox* check() { return child<QCheckBox>(QStringLiteral("Check1")); }
    void saveAndClose() { child<QPushButton>(QStringLiteral("Command1"))->click(); }
    QStringList chooser(MainWindow& form) {
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("cmbConvert"));
        QStringList items;
        for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
        return items;
    }
    bool anyTemplateKeyStored() const {
        for (int slot = 0; slot < kTemplateSlots; ++slot) {
            for (TemplateField f : kTemplateFields) {
                if (settings_->contains(kDataSection, templateKey(slot, f))) return true;
            }
        }
        return false;
    }
    // Rows 0 to 2: names always disabled, link boxes and "del" as the check box says.
    // Rows 3 to 7: everything enabled.
    void verifyEnabledStates(bool defaultsOn) {
        for (int row = 0; row < kTemplateSlots; ++row) {
            const bool custom = row >= 3;
            QCOMPARE(box(0, row)->isEnabled(), custom);
            for (size_t field = 1; field < kGroups.size(); ++field) {
                QCOMPARE(box(field, row)->isEnabled(), custom || defaultsOn);
            }
            QCOMPARE(del(row)->isEnabled(), custom || defaultsOn);
        }
    }

private Q_SLOTS:
    void initTestCase() { MessageBox::setRecording(true); }
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        settings_ = std::make_unique<MemorySettingsStore>();
        main_ = std::make_unique<MainWindow>(toStdString(dir_->path()), *settings_, "about:blank");
        MessageBox::clearRecorded();
    }
    void cleanup() {
        delete editor_.data();
        main_.reset();
    }

    void fillsEveryBoxFromTheTable() {
        main_->templates()[5] = {"mine", "<b x='", "'>", "</b>", "mail:"};
        open();
        QCOMPARE(editor_->windowTitle(), QStringLiteral("Custom Message Templates"));
        for (int row = 0; row < kTemplateSlots; ++row) {
            for (size_t field = 0; field < kGroups.size(); ++field) {
                QCOMPARE(box(field, row)->text(),
                         toQString(templateField(main_->templates()[static_cast<size_t>(row)],
                                                 kTemplateFields[field])));
            }
        }
        QCOMPARE(box(1, 0)->text(), QStringLiteral("<a href='"));
        QCOMPARE(box(0, 5)->text(), QStringLiteral("mine"));
        QVERIFY(!check()->isChecked());
        verifyEnabledStates(false);
    }

    void checkBoxUnlocksOnlyTheDefaultsLinks() {
        open();
        QTest::mouseClick(check(), Qt::LeftButton);
        QVERIFY(check()->isChecked());
        verifyEnabledStates(true);
        QTest::mouseClick(check(), Qt::LeftButton);
        verifyEnabledStates(false);
    }

    void delOnADefaultRowEmptiesItsNameToo() {
        open();
        check()->click();
        del(1)->click();
        for (size_t field = 0; field < kGroups.size(); ++field)
            QVERIFY(box(field, 1)->text().isEmpty());
        QCOMPARE(main_->templates()[1].Name, std::string("ubb"));  // not before saving
        QCOMPARE(box(0, 0)->text(), QStringLiteral("html"));

        saveAndClose();
        QCOMPARE(main_->templates()[1], LinkTemplate{});
        QCOMPARE(chooser(*main_), (QStringList{QStringLiteral("text"), QStringLiteral("html"),
                                               QStringLiteral("ezboard")}));
        QVERIFY(settings_->contains(kDataSection, "ubbName"));
        QCOMPARE(settings_->read(kDataSection, "ubbName", "default"), std::string());
        QVERIFY(!editor_->isVisible());
        QVERIFY(!editor_.isNull());
    }

    void saveStoresAllFortyKeysUnchanged() {
        open();
        QTest::keyClicks(box(0, 4), QStringLiteral("  Spaced Forum "));
        QTest::keyClicks(box(1, 4), QStringLiteral("<b href='"));
        QTest::keyClicks(box(4, 7), QStringLiteral("news:"));
        saveAndClose();
        QCOMPARE(main_->templates()[4].Name, std::string("  Spaced Forum "));
        QCOMPARE(main_->templates()[4].LinkOpen01, std::string("<b href='"));
        QCOMPARE(main_->templates()[7].MailCall01, std::string("news:"));
        QCOMPARE(main_->templates()[0], defaultTemplates()[0]);
        for (int slot = 0; slot < kTemplateSlots; ++slot) {
            for (TemplateField f : kTemplateFields) {
                const std::string key = templateKey(slot, f);
                QVERIFY2(settings_->contains(kDataSection, key), key.c_str());
                QCOMPARE(settings_->read(kDataSection, key, "absent"),
                         templateField(main_->templates()[static_cast<size_t>(slot)], f));
            }
        }
        QCOMPARE(settings_->read(kDataSection, "cust02LinkOpen01", ""), std::string("<b href='"));
        QCOMPARE(chooser(*main_),
                 (QStringList{QStringLiteral("text"), QStringLiteral("html"), QStringLiteral("ubb"),
                              QStringLiteral("ezboard"), QStringLiteral("  Spaced Forum ")}));
        auto* combo = main_->findChild<QComboBox*>(QStringLiteral("cmbConvert"));
        QCOMPARE(combo->currentIndex(), 0);
        QVERIFY(MessageBox::recorded().isEmpty());
    }

    // Saving keeps the chosen format while it is listed, and remembers it by name; once it
    // is gone "text" comes up and the status bar says so.
    void chooserKeepsTheChoice() {
        auto* combo = main_->findChild<QComboBox*>(QStringLiteral("cmbConvert"));
        combo->setCurrentIndex(2);
        open();
        QTest::keyClicks(box(0, 5), QStringLiteral("mine"));
        saveAndClose();
        QCOMPARE(combo->currentText(), QStringLiteral("ubb"));
        QCOMPARE(settings_->read(kDataSection, "lastConvertName", ""), std::string("ubb"));

        combo->setCurrentIndex(4);
        editor_->show();
        QTest::keyClicks(box(0, 3), QStringLiteral("first"));
        saveAndClose();
        QCOMPARE(combo->currentText(), QStringLiteral("mine"));
        QCOMPARE(combo->currentIndex(), 5);

        editor_->show();
        del(5)->click();
        saveAndClose();
        QCOMPARE(combo->currentText(), QStringLiteral("text"));
        auto* panel = main_->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
        QVERIFY2(panel->text().contains(QStringLiteral("\"mine\" is no longer listed")),
                 qPrintable(panel->text()));
    }

    // A start after a template was added before the remembered one selects the same name.
    void startSelectsTheRememberedName() {
        QVERIFY(writeSetting(*settings_, {kDataSection, "cust03Name", ""}, "mine"));
        QVERIFY(storeChooserChoice(*settings_, 4, "mine"));
        QVERIFY(writeSetting(*settings_, {kDataSection, "cust01Name", ""}, "first"));
        MainWindow form(toStdString(dir_->path()), *settings_, "about:blank");
        auto* combo = form.findChild<QComboBox*>(QStringLiteral("cmbConvert"));
        QCOMPARE(combo->currentText(), QStringLiteral("mine"));
        QCOMPARE(combo->currentIndex(), 5);
    }

    void closeBoxDiscardsTheEdits() {
        open();
        QTest::keyClicks(box(0, 3), QStringLiteral("unsaved"));
        check()->click();
        del(0)->click();
        editor_->close();
        QTRY_VERIFY(editor_.isNull());
        QCOMPARE(main_->templates(), defaultTemplates());
        QVERIFY(!anyTemplateKeyStored());
        QCOMPARE(chooser(*main_).size(), 4);

        open();  // a fresh window fills from the table again
        QCOMPARE(box(0, 3)->text(), QString());
        QCOMPARE(box(0, 0)->text(), QStringLiteral("html"));
        QVERIFY(!check()->isChecked());
        verifyEnabledStates(false);
    }

    void reopeningAfterSaveShowsTheWindowAsLeft() {
        open();
        check()->click();
        QTest::keyClicks(box(0, 3), QStringLiteral("Board"));
        box(2, 0)->setText(QStringLiteral("\">"));
        saveAndClose();
        QVERIFY(!editor_->isVisible());
        TemplateEditor* const same = editor_.data();
        // Changed behind the hidden window: reopening must not refill from the table.
        main_->templates()[3].Name = "changed elsewhere";
        editor_->show();
        QCOMPARE(editor_.data(), same);
        QVERIFY(check()->isChecked());
        verifyEnabledStates(true);
        QCOMPARE(box(0, 3)->text(), QStringLiteral("Board"));
        QCOMPARE(box(2, 0)->text(), QStringLiteral("\">"));
    }

    void freshWindowAfterSaveAndCloseBoxShowsTheStoredTable() {
        open();
        QTest::keyClicks(box(0, 6), QStringLiteral("Saved"));
        saveAndClose();
        editor_->show();
        QTest::keyClicks(box(0, 6), QStringLiteral(" more"));
        editor_->close();
        QTRY_VERIFY(editor_.isNull());
        open();
        QCOMPARE(box(0, 6)->text(), QStringLiteral("Saved"));
        QCOMPARE(main_->templates()[6].Name, std::string("Saved"));
        QCOMPARE(settings_->read(kDataSection, "cust04Name", ""), std::string("Saved"));
    }

    void failedStoreIsShownAndTheWindowStays() {
        FailingStore store;
        MainWindow form(toStdString(dir_->path()), store, "about:blank");
        MessageBox::clearRecorded();
        editor_ = new TemplateEditor(form);
        editor_->show();
        QTest::keyClicks(box(0, 3), QStringLiteral("Custom"));
        store.failing = true;
        saveAndClose();
        QCOMPARE(MessageBox::recorded().size(), 1);
        QCOMPARE(MessageBox::recorded()[0].title, toQString(productIdentity().productName));
        QVERIFY(MessageBox::recorded()[0].text.startsWith(
            QStringLiteral("The templates were not stored.")));
        QVERIFY(MessageBox::recorded()[0].text.contains(
            QStringLiteral("Could not write the settings file.")));
        QVERIFY(editor_->isVisible());
        QCOMPARE(form.templates()[3].Name, std::string("Custom"));
        QCOMPARE(chooser(form).last(), QStringLiteral("Custom"));
        QCOMPARE(store.read(kDataSection, "cust01Name", "absent"), std::string("absent"));

        store.failing = false;  // the user tries again once the settings can be written
        saveAndClose();
        QVERIFY(!editor_->isVisible());
        QCOMPARE(store.read(kDataSection, "cust01Name", "absent"), std::string("Custom"));
        delete editor_.data();
    }
};

QTEST_MAIN(FrmCustomTest)
#include "template_editor_test.moc"
