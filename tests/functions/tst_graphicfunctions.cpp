// SPDX-License-Identifier: MIT
#include "evaluation.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QSize>
#include <QtTest>

class tst_GraphicFunctions : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void colors_data();
    void colors();
    void fonts();
    void pointAndSize_data();
    void pointAndSize();
    void pixmaps();
};

void tst_GraphicFunctions::colors_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QColor>("color");

    QTest::newRow("hex") << "color('#ff0000')" << QColor(255, 0, 0);
    QTest::newRow("short hex") << "color('#f00')" << QColor(255, 0, 0);
    QTest::newRow("name") << "color('red')" << QColor(255, 0, 0);
    QTest::newRow("components") << "color(255, 0, 0)" << QColor(255, 0, 0);
    QTest::newRow("component texts") << "color('0', '128', '255')" << QColor(0, 128, 255);
    QTest::newRow("unknown name") << "color('nocolour')" << QColor();
    QTest::newRow("component out of range") << "color(256, 0, 0)" << QColor();
    QTest::newRow("component past 32 bits") << "color(4294967296, 0, 0)" << QColor();
    QTest::newRow("negative component") << "color(0, -1, 0)" << QColor();
}

void tst_GraphicFunctions::colors()
{
    QFETCH(QString, expression);
    QFETCH(QColor, color);

    const Evaluation e = evaluate(expression);
    QCOMPARE(e.errors(), QString());
    QCOMPARE(Qt3::typeName(e.value()), QStringLiteral("Color"));
    const QColor actual = e.value().value<QColor>();
    QCOMPARE(actual.isValid(), color.isValid());
    if (color.isValid())
        QCOMPARE(actual, color);
}

void tst_GraphicFunctions::fonts()
{
    const QFont defaultFont;
    QFont f = evaluate(QStringLiteral("font('default', 12)")).value().value<QFont>();
    QCOMPARE(f.family(), defaultFont.family());
    QCOMPARE(f.pointSize(), 12);

    f = evaluate(QStringLiteral("font('Serif', 10, 75, 'true')")).value().value<QFont>();
    QCOMPARE(f.family(), QStringLiteral("Serif"));
    QCOMPARE(f.pointSize(), 10);
    QCOMPARE(f.weight(), QFont::Bold);
    QVERIFY(f.italic());

    f = evaluate(QStringLiteral("font('Serif', 0, 50, 'false')")).value().value<QFont>();
    QCOMPARE(f.pointSize(), defaultFont.pointSize());
    QCOMPARE(f.weight(), QFont::Normal);
    QVERIFY(!f.italic());

    // Weights outside the old scale take its nearest end.
    QCOMPARE(evaluate(QStringLiteral("font('Serif', 10, -2147483648)")).value().value<QFont>().weight(), QFont::Thin);
    QCOMPARE(evaluate(QStringLiteral("font('Serif', 10, 1000)")).value().value<QFont>().weight(), QFont::Black);

    const Evaluation tooMany = evaluate(QStringLiteral("font('a', 1, 2, 3, 4)"));
    QCOMPARE(tooMany.errors(), QStringLiteral("'font' function has invalid number of parameters.\n"));
}

void tst_GraphicFunctions::pointAndSize_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVariant>("result");

    QTest::newRow("point") << "point(3, -4)" << QVariant(QPoint(3, -4));
    QTest::newRow("point word") << "point('x', 1)" << QVariant(QPoint(0, 1));
    QTest::newRow("size") << "size('10', 20)" << QVariant(QSize(10, 20));
    QTest::newRow("size decimal") << "size(2.9, 1)" << QVariant(QSize(2, 1));
}

void tst_GraphicFunctions::pointAndSize()
{
    QFETCH(QString, expression);
    QFETCH(QVariant, result);

    const Evaluation e = evaluate(expression);
    QCOMPARE(e.errors(), QString());
    QCOMPARE(e.value(), result);
}

void tst_GraphicFunctions::pixmaps()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    const QString file = dir.filePath(QStringLiteral("image.dat")); // format found from the content
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(file, "PNG"));

    Evaluation e = evaluate(QStringLiteral("pixmap('%1')").arg(file));
    QCOMPARE(e.errors(), QString());
    QCOMPARE(Qt3::typeName(e.value()), QStringLiteral("Pixmap"));
    QCOMPARE(e.value().value<QPixmap>().size(), QSize(7, 5));

    e = evaluate(QStringLiteral("pixmap('%1')").arg(dir.filePath(QStringLiteral("missing.png"))));
    QCOMPARE(Qt3::typeName(e.value()), QStringLiteral("Pixmap"));
    QVERIFY(e.value().value<QPixmap>().isNull());
}

QTEST_MAIN(tst_GraphicFunctions)
#include "tst_graphicfunctions.moc"
