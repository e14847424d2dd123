// Draws the program icon, a magnifying glass on a blue tile, as vellmora-<size>.png for each size.
//
// Usage: vellmora-icons <folder>. The PNGs beside this file are its output; run it again after
// changing the picture and commit what it writes.
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QString>

#include <cstdio>

namespace {

// Draws on a grid of 16 units, so one unit is one pixel at the smallest size and the strokes stay
// sharp there.
QImage DrawIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 16.0, size / 16.0);

    // The tile: a rounded square, lighter at the top.
    QLinearGradient blue(0, 0, 0, 16);
    blue.setColorAt(0, QColor(0x3B, 0x82, 0xF6));
    blue.setColorAt(1, QColor(0x1D, 0x4E, 0xD8));
    QPainterPath tile;
    tile.addRoundedRect(QRectF(0, 0, 16, 16), 3, 3);
    painter.fillPath(tile, blue);

    // Three lines of a listing behind the glass.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 255, 255, 110));
    painter.drawRect(QRectF(3, 3, 10, 1));
    painter.drawRect(QRectF(3, 5, 10, 1));
    painter.drawRect(QRectF(3, 7, 4, 1));

    // The glass: a clear lens in a white ring, and an amber handle.
    const QPointF centre(6.5, 7.5);
    const double radius = 3.25;
    painter.setBrush(QColor(255, 255, 255, 70));
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(centre, radius, radius);
    painter.setPen(QPen(QColor(0xF5, 0x9E, 0x0B), 2.25, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(9.25, 10.25), QPointF(12.75, 13.75));
    painter.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fputs("usage: vellmora-icons <folder>\n", stderr);
        return 2;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    for (const int size : {16, 32, 48, 64, 96, 128}) {
        const QString path = QStringLiteral("%1/vellmora-%2.png").arg(folder).arg(size);
        if (!DrawIcon(size).save(path, "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", path.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
