// Build tool: draws the program's icon from its emblem, for the desktop's icon theme.
//   boardcast_emblem_icons OUTPUT-FOLDER APP-ID
// writes OUTPUT-FOLDER/hicolor/NxN/apps/APP-ID.png for the usual sizes and
// OUTPUT-FOLDER/hicolor/scalable/apps/APP-ID.svg.

#include <QDir>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>

#include "ui/icons/emblem.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fputs("usage: boardcast_emblem_icons OUTPUT-FOLDER APP-ID\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    const QString name = QString::fromLocal8Bit(argv[2]);
    auto folder = [&out](const QString& size) {
        const QString path = out.filePath(QStringLiteral("hicolor/%1/apps").arg(size));
        return QDir().mkpath(path) ? path : QString();
    };

    for (int side : {16, 22, 24, 32, 48, 64, 128, 256, 512}) {
        const QString dir = folder(QStringLiteral("%1x%1").arg(side));
        QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            boardcast::paintEmblemSquare(p, side);
        }
        if (dir.isEmpty() || !image.save(dir + u'/' + name + QStringLiteral(".png"))) {
            std::fprintf(stderr, "boardcast_emblem_icons: could not write the %dx%d icon\n", side,
                         side);
            return 1;
        }
    }

    const QString dir = folder(QStringLiteral("scalable"));
    QSvgGenerator svg;
    svg.setFileName(dir + u'/' + name + QStringLiteral(".svg"));
    svg.setSize(QSize(256, 256));
    svg.setViewBox(QRect(0, 0, 256, 256));
    svg.setTitle(QStringLiteral("Boardcast"));
    QPainter p;
    if (dir.isEmpty() || !p.begin(&svg)) {
        std::fputs("boardcast_emblem_icons: could not write the scalable icon\n", stderr);
        return 1;
    }
    boardcast::paintEmblemSquare(p, 256);
    return p.end() ? 0 : 1;
}
