#include "app/artwork.h"

#include <QSet>
#include <QTest>

class TestArtwork : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void picturesKeepToTheSixteenColours_data()
    {
        QTest::addColumn<QImage>("picture");
        QTest::addColumn<int>("size");
        QTest::newRow("pump, 16 pixels") << Artwork::fuelPump(16) << 16;
        QTest::newRow("pump, 32 pixels") << Artwork::fuelPump(32) << 32;
        QTest::newRow("pump, 48 pixels for the desktop") << Artwork::fuelPump(48) << 48;
        QTest::newRow("pump, 256 pixels for the desktop") << Artwork::fuelPump(256) << 256;
        QTest::newRow("Minimizar") << Artwork::minimizar() << 32;
        QTest::newRow("Fechar") << Artwork::fechar() << 32;
    }
    void picturesKeepToTheSixteenColours()
    {
        QFETCH(QImage, picture);
        QFETCH(int, size);
        static const QSet<QRgb> palette { qRgb(0, 0, 0), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
            qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192), qRgb(128, 128, 128),
            qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255), qRgb(255, 0, 255), qRgb(0, 255, 255),
            qRgb(255, 255, 255) };
        QCOMPARE(picture.size(), QSize(size, size));
        const QImage pixels = picture.convertToFormat(QImage::Format_ARGB32);
        int painted = 0;
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                const QRgb pixel = pixels.pixel(x, y);
                if (qAlpha(pixel) == 0)
                    continue;
                // A half-covered pixel would blend colours and blur the small sizes.
                QVERIFY2(qAlpha(pixel) == 255 && palette.contains(pixel | 0xff000000u),
                    qPrintable(QStringLiteral("pixel %1,%2 is %3").arg(x).arg(y).arg(pixel, 8, 16)));
                ++painted;
            }
        }
        // Enough of the square is drawn to be seen, and some of it stays clear around the picture.
        QVERIFY(painted > size * size / 8);
        QVERIFY(painted < size * size);
    }
};

QTEST_MAIN(TestArtwork)
#include "tst_artwork.moc"
