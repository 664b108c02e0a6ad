// The icon theme's files are the window's icon: drawn by Pictures::windowIcon at each size,
// scaled as a whole (not drawn small in a corner), with transparent corners.
#include "ui/Pictures.h"

#include <QImage>
#include <QTest>

class IconsTest : public QObject
{
    Q_OBJECT

private:
    static QImage themeIcon(int size)
    {
        return QImage(QStringLiteral(DRYX_ICON_DIR "/%1x%1/apps/dryx-plc-test.png").arg(size))
            .convertToFormat(QImage::Format_ARGB32);
    }
    static QImage drawn(int size)
    {
        return Pictures::windowIcon(size).toImage().convertToFormat(QImage::Format_ARGB32);
    }

private slots:
    void filesAreTheDrawing_data()
    {
        QTest::addColumn<int>("size");
        QTest::newRow("32x32") << 32;
        QTest::newRow("256x256") << 256;
    }
    void filesAreTheDrawing()
    {
        QFETCH(int, size);
        const QImage file = themeIcon(size);
        QCOMPARE(file.size(), QSize(size, size));
        QVERIFY(file == drawn(size));
    }

    void smallIconIsTheWindowIcon()
    {
        QVERIFY(themeIcon(32) ==
                Pictures::windowIcon().toImage().convertToFormat(QImage::Format_ARGB32));
    }

    // Points in 32 units, well inside each part of the drawing, and where each size must show
    // the part's own colour.
    void partsSitWhereTheyDoAtEverySize_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<QPointF>("point");
        QTest::addColumn<QRgb>("colour");
        const struct {
            const char* part;
            QPointF point;
            QRgb colour;
        } parts[] = {
            {"running lamp", {11.5, 12.5}, qRgba(51, 255, 102, 255)},
            {"stopped lamp", {21.5, 12.5}, qRgba(100, 0, 0, 255)},
            {"box", {5.5, 20.5}, qRgba(64, 64, 64, 255)},
            {"line", {22.5, 27.5}, qRgba(255, 160, 64, 255)},
            {"top left corner", {0.5, 0.5}, qRgba(0, 0, 0, 0)},
            {"bottom right corner", {31.5, 31.5}, qRgba(0, 0, 0, 0)},
        };
        for (int size : {32, 256})
            for (const auto& part : parts)
                QTest::addRow("%d: %s", size, part.part) << size << part.point << part.colour;
    }
    void partsSitWhereTheyDoAtEverySize()
    {
        QFETCH(int, size);
        QFETCH(QPointF, point);
        QFETCH(QRgb, colour);
        const QImage file = themeIcon(size);
        // The pixel that holds the point (the coordinates are positive: truncation is floor).
        const QPoint pixel(int(point.x() * size / 32), int(point.y() * size / 32));
        const QRgb got = file.pixel(pixel);
        QCOMPARE(qAlpha(got), qAlpha(colour));
        if (qAlpha(colour) != 0) {
            QCOMPARE(qRed(got), qRed(colour));
            QCOMPARE(qGreen(got), qGreen(colour));
            QCOMPARE(qBlue(got), qBlue(colour));
        }
    }
};

QTEST_MAIN(IconsTest)
#include "tst_icons.moc"
