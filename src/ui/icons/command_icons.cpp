#include "ui/icons/command_icons.h"

#include "ui/icons/painted_icon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPolygonF>
#include <QTransform>

namespace boardcast {

namespace {

const QColor kInk(44, 72, 120);
const QColor kPaperLine(150, 175, 215);
const QColor kArrowColor(46, 160, 70);
const QColor kGlassColor(150, 205, 250, 210);
const QColor kHandleColor(120, 70, 30);
const QColor kDiskColor(50, 95, 180);
const QColor kFolderColor(236, 186, 70);
const QColor kGearColor(110, 135, 175);

// A sheet of paper with a folded top right corner and a few lines of text.
void drawPage(QPainter& p, const QRectF& r, const QColor& fill) {
    const double fold = r.width() / 3;
    QPainterPath page;
    page.moveTo(r.topLeft());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.bottomRight());
    page.lineTo(r.bottomLeft());
    page.closeSubpath();
    p.setPen(QPen(kInk, 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(fill);
    p.drawPath(page);
    p.setBrush(fill.darker(115));
    p.drawPolygon(QPolygonF({{r.right() - fold, r.top()},
                             {r.right() - fold, r.top() + fold},
                             {r.right(), r.top() + fold}}));
    p.setPen(QPen(kPaperLine, 1.5));
    for (double y = r.top() + fold + 4; y < r.bottom() - 3; y += 4) {
        p.drawLine(QPointF(r.left() + 3, y), QPointF(r.right() - 3, y));
    }
}

// A page with a green arrow pointing into it from the left.
void drawAutoInsert(QPainter& p) {
    drawPage(p, QRectF(11, 2.5, 18, 27), Qt::white);
    p.setPen(QPen(kArrowColor.darker(150), 1));
    p.setBrush(kArrowColor);
    p.drawPolygon(
        QPolygonF({{1.5, 12.5}, {11, 12.5}, {11, 7}, {20, 16}, {11, 25}, {11, 19.5}, {1.5, 19.5}}));
}

// A page under a magnifying glass.
void drawPreview(QPainter& p) {
    drawPage(p, QRectF(3, 2.5, 18, 25), Qt::white);
    p.setPen(QPen(kHandleColor, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(23.5, 23.5), QPointF(29, 29));
    p.setPen(QPen(kInk, 2.2));
    p.setBrush(kGlassColor);
    p.drawEllipse(QPointF(18.5, 18.5), 6.5, 6.5);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.5, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(14.5, 14.5, 8, 8), 100 * 16, 70 * 16);  // a glint on the glass
}

// Two overlapping pages, the one behind tinted.
void drawCopy(QPainter& p) {
    drawPage(p, QRectF(3, 2.5, 17, 21), QColor(205, 225, 250));
    drawPage(p, QRectF(12, 8.5, 17, 21), Qt::white);
}

// A floppy disk: metal shutter at the top, label below.
void drawSave(QPainter& p) {
    p.setPen(QPen(kDiskColor.darker(170), 1.2));
    p.setBrush(kDiskColor);
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(25, 4);
    disk.lineTo(28, 7);
    disk.lineTo(28, 28);
    disk.lineTo(4, 28);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(QColor(215, 220, 228));
    p.drawRect(QRectF(9, 4, 14, 9));
    p.setPen(Qt::NoPen);
    p.setBrush(kDiskColor.darker(160));
    p.drawRect(QRectF(18, 5.5, 3, 6));
    p.setPen(QPen(kDiskColor.darker(170), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 17, 16, 11));
    p.setPen(QPen(QColor(200, 60, 50), 1.2));
    p.drawLine(QPointF(10, 20.5), QPointF(22, 20.5));
}

// An open folder: the back with its tab, and the front flap tilted forward.
void drawLoad(QPainter& p) {
    p.setPen(QPen(kFolderColor.darker(170), 1.2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    p.setBrush(kFolderColor);
    QPainterPath back;
    back.moveTo(3, 27);
    back.lineTo(3, 7);
    back.lineTo(12, 7);
    back.lineTo(14, 10);
    back.lineTo(26, 10);
    back.lineTo(26, 27);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(7, 12, 16, 8));  // a sheet showing inside
    p.setBrush(kFolderColor.lighter(125));
    p.drawPolygon(QPolygonF({{8, 15}, {30.5, 15}, {26, 27}, {3, 27}}));
}

// A gear of eight teeth with a hole in its hub.
void drawOptions(QPainter& p) {
    const QPointF centre(16, 16);
    QPainterPath gear;
    gear.addEllipse(centre, 10, 10);
    for (int i = 0; i < 8; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-3, -14.5, 6, 6));
        gear.addPath(QTransform().translate(centre.x(), centre.y()).rotate(i * 45).map(tooth));
    }
    QPainterPath hole;
    hole.addEllipse(centre, 4, 4);
    p.setPen(QPen(kGearColor.darker(170), 1.2));
    p.setBrush(kGearColor);
    p.drawPath(gear.simplified().subtracted(hole));
    p.setPen(QPen(kGearColor.lighter(140), 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 7, 7);
}

void draw(QPainter& p, CommandIcon which) {
    switch (which) {
        case CommandIcon::AutoInsert:
            drawAutoInsert(p);
            break;
        case CommandIcon::Preview:
            drawPreview(p);
            break;
        case CommandIcon::Copy:
            drawCopy(p);
            break;
        case CommandIcon::Save:
            drawSave(p);
            break;
        case CommandIcon::Load:
            drawLoad(p);
            break;
        case CommandIcon::Options:
            drawOptions(p);
            break;
    }
}

}  // namespace

QIcon commandIcon(CommandIcon which) {
    return paintedIcon(32, {16, 24, 32, 48, 64}, [which](QPainter& p) { draw(p, which); });
}

}  // namespace boardcast
