// Always-on-top and skinning on plain widgets, offscreen.

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QTest>
#include <QVBoxLayout>

#include "ui/widgets/appearance.h"

using namespace boardcast;
using namespace Qt::StringLiterals;

class AppearanceTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void topmostKeepsPlaceSizeAndVisibility_data() {
        QTest::addColumn<bool>("visible");
        QTest::newRow("shown") << true;
        QTest::newRow("hidden") << false;
    }
    void topmostKeepsPlaceSizeAndVisibility() {
        QFETCH(bool, visible);
        QWidget window;
        window.setGeometry(120, 90, 333, 222);
        window.setVisible(visible);
        const QRect before = window.geometry();
        for (bool onTop : {true, true, false}) {
            setTopmost(window, onTop);
            QCOMPARE(window.windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
            QCOMPARE(window.isVisible(), visible);
            QCOMPARE(window.geometry(), before);
        }
    }

    void skinRecoloursByKindOfControl() {
        QWidget window;
        auto* button = new QPushButton(u"b"_s, &window);
        auto* edit = new QLineEdit(&window);
        auto* list = new QListWidget(&window);
        auto* combo = new QComboBox(&window);
        auto* picture = new QLabel(&window);
        picture->setPixmap(QPixmap(8, 8));
        auto* caption = new QLabel(u"caption"_s, &window);
        const QColor captionText = caption->palette().color(QPalette::WindowText);

        applySkin(window);
        const SkinColours& c = programSkin().colours;
        QCOMPARE(button->palette().color(QPalette::Button), c.buttonAndField);
        for (QWidget* field : std::initializer_list<QWidget*>{edit, list, combo}) {
            QCOMPARE(field->palette().color(QPalette::Base), c.buttonAndField);
            QCOMPARE(field->palette().color(QPalette::Text), c.fieldText);
        }
        QCOMPARE(picture->palette().color(QPalette::Window), c.pictureBackground);
        QVERIFY(!caption->testAttribute(Qt::WA_SetPalette));
        QCOMPARE(caption->palette().color(QPalette::WindowText), captionText);
    }

    void labelsAreMirroredIntoTheirContainersArray() {
        QWidget window;
        auto* frame = new QWidget(&window);
        auto* elsewhere = new QWidget(&window);
        auto* top = new QLabel(u"Top label"_s, &window);
        top->setGeometry(10, 20, 90, 16);
        auto* inFrame = new QLabel(u"In frame"_s, frame);
        inFrame->setGeometry(4, 5, 60, 14);
        QFont bold = inFrame->font();
        bold.setBold(true);
        inFrame->setFont(bold);
        inFrame->setVisible(false);
        new QLabel(u"No array here"_s, elsewhere);
        auto* picture = new QLabel(&window);
        picture->setPixmap(QPixmap(4, 4));

        mirrorLabels(window, {{&window, u"SkinLabel1"_s}, {frame, u"SkinLabel2"_s}});

        auto* topCopy = window.findChild<QLabel*>(u"SkinLabel1_1"_s, Qt::FindDirectChildrenOnly);
        QVERIFY(topCopy);
        QCOMPARE(topCopy->text(), u"Top label"_s);
        QCOMPARE(topCopy->geometry(), top->geometry());
        auto* frameCopy = frame->findChild<QLabel*>(u"SkinLabel2_1"_s);
        QVERIFY(frameCopy);
        QCOMPARE(frameCopy->text(), u"In frame"_s);
        QCOMPARE(frameCopy->geometry(), inFrame->geometry());
        QVERIFY(frameCopy->font().bold());
        QVERIFY(!frameCopy->isVisibleTo(frame));
        // One copy each: the picture and the label without an array get none.
        QCOMPARE(window.findChildren<QLabel*>(QRegularExpression(u"^SkinLabel"_s)).size(), 2);
        QCOMPARE(elsewhere->findChildren<QLabel*>().size(), 1);
    }

    void skinWindowDoesNothingInThisBuild() {
        QWidget window;
        auto* button = new QPushButton(u"b"_s, &window);
        new QLabel(u"caption"_s, &window);
        skinWindow(window, {{&window, u"SkinLabel1"_s}});
        QVERIFY(!button->testAttribute(Qt::WA_SetPalette));
        QCOMPARE(window.findChildren<QLabel*>().size(), 1);
    }
};

QTEST_MAIN(AppearanceTest)
#include "appearance_test.moc"
