#include "app/artwork.h"

#include <QPainter>

namespace {
// The sixteen colours of the classic palette the station's pictures keep to.
const QColor Black(0, 0, 0);
const QColor Gray(128, 128, 128);
const QColor Silver(192, 192, 192);
const QColor White(255, 255, 255);
const QColor Red(255, 0, 0);
const QColor Maroon(128, 0, 0);
const QColor Yellow(255, 255, 0);
const QColor Navy(0, 0, 128);

QImage transparentSquare(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}
} // namespace

QImage Artwork::fuelPump(int size)
{
    QImage image = transparentSquare(size);
    QPainter painter(&image);
    // Drawn on a 32-unit grid with every edge on an even unit, so that at 16 pixels and at every
    // multiple of 16 each rectangle lands on whole pixels and no blended colour appears.
    painter.scale(size / 32.0, size / 32.0);

    // Body: black outline, red cabinet, a white display with its reading and the yellow stripe.
    painter.fillRect(QRectF(4, 2, 16, 26), Black);
    painter.fillRect(QRectF(6, 4, 12, 22), Red);
    painter.fillRect(QRectF(16, 4, 2, 22), Maroon);
    painter.fillRect(QRectF(8, 6, 8, 6), White);
    painter.fillRect(QRectF(10, 8, 4, 2), Black);
    painter.fillRect(QRectF(6, 16, 10, 2), Yellow);

    // Base.
    painter.fillRect(QRectF(2, 26, 20, 4), Black);
    painter.fillRect(QRectF(4, 26, 16, 2), Gray);

    // Hose from the cabinet up to the nozzle hanging on its side.
    painter.fillRect(QRectF(20, 20, 6, 2), Black);
    painter.fillRect(QRectF(24, 10, 2, 12), Black);
    painter.fillRect(QRectF(22, 4, 8, 6), Black);
    painter.fillRect(QRectF(24, 6, 4, 2), Silver);
    painter.fillRect(QRectF(28, 8, 2, 4), Black);
    return image;
}

QIcon Artwork::windowIcon()
{
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(fuelPump(16)));
    icon.addPixmap(QPixmap::fromImage(fuelPump(32)));
    return icon;
}

QImage Artwork::minimizar()
{
    QImage image = transparentSquare(32);
    QPainter painter(&image);
    // A button is drawn a few pixels smaller than its picture, so everything stays in the middle
    // 24 by 24 pixels: an arrow going down onto a bar, the picture of "out of the way".
    painter.fillRect(QRect(14, 6, 4, 6), Navy);
    for (int row = 0; row < 7; ++row) {
        const int half = 7 - row;
        painter.fillRect(QRect(16 - half, 12 + row, 2 * half, 1), Navy);
    }
    painter.fillRect(QRect(8, 21, 16, 4), Black);
    painter.fillRect(QRect(9, 22, 14, 2), Gray);
    return image;
}

QImage Artwork::fechar()
{
    QImage image = transparentSquare(32);
    QPainter painter(&image);
    // A red cross built row by row, so its diagonals stay hard-edged without smoothing colours;
    // the darker copy one pixel lower gives it some depth on the grey button face.
    for (const auto& [colour, shift] : { std::pair { Maroon, 1 }, std::pair { Red, 0 } }) {
        for (int y = 8; y < 24; ++y) {
            painter.fillRect(QRect(y - 2, y + shift, 4, 1), colour);
            painter.fillRect(QRect(31 - y - 2, y + shift, 4, 1), colour);
        }
    }
    return image;
}
