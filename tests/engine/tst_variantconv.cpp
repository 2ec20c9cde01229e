// SPDX-License-Identifier: MIT
#include "engine/variantconv.h"

#include <QTest>
#include <limits>

namespace {

QVariant convert(const QString& to, const QVariant& v)
{
    if (to == QLatin1String("toString")) {
        const QString s = Qt3::toString(v);
        return s.isNull() ? QVariant(QStringLiteral("<null>")) : QVariant(s);
    }
    if (to == QLatin1String("toList"))
        return Qt3::toList(v);
    if (to == QLatin1String("toStringList"))
        return Qt3::toStringList(v);
    if (to == QLatin1String("toInt"))
        return Qt3::toInt(v);
    if (to == QLatin1String("toUInt"))
        return Qt3::toUInt(v);
    if (to == QLatin1String("toLongLong"))
        return Qt3::toLongLong(v);
    if (to == QLatin1String("toULongLong"))
        return Qt3::toULongLong(v);
    if (to == QLatin1String("toDouble"))
        return Qt3::toDouble(v);
    if (to == QLatin1String("toBool"))
        return Qt3::toBool(v);
    if (to == QLatin1String("equals")) {
        const QVariantList pair = v.toList();
        return Qt3::equals(pair.value(0), pair.value(1));
    }
    return QStringLiteral("unknown conversion");
}

QVariant pair(const QVariant& left, const QVariant& right)
{
    return QVariantList {left, right};
}

QVariant str(const char* s)
{
    return QString::fromLatin1(s);
}

} // namespace

class tst_VariantConv : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void conversions_data();
    void conversions();
};

void tst_VariantConv::conversions_data()
{
    QTest::addColumn<QString>("to");
    QTest::addColumn<QVariant>("input");
    QTest::addColumn<QVariant>("expected");

    const QStringList ab {QStringLiteral("a"), QStringLiteral("b")};
    const QVariant invalid;
    const struct {
        const char* row;
        const char* to;
        QVariant input;
        QVariant expected;
    } rows[] = {
        {"string itself", "toString", str("abc"), str("abc")},
        {"int", "toString", -5, str("-5")},
        {"ulonglong max", "toString", std::numeric_limits<qulonglong>::max(), str("18446744073709551615")},
        {"double sum, 15 digits", "toString", 0.1 + 0.2, str("0.3")},
        {"double third", "toString", 1.0 / 3.0, str("0.333333333333333")},
        {"whole double", "toString", 2.0, str("2")},
        {"large double", "toString", 1e20, str("1e+20")},
        {"bool", "toString", true, str("true")},
        {"one-entry string list", "toString", QStringList {QStringLiteral("x")}, str("")},
        {"list", "toString", QVariantList {1}, str("")},
        {"invalid is null", "toString", invalid, str("<null>")},

        {"string to list", "toList", str("a,b"), QVariantList()},
        {"int to list", "toList", 3, QVariantList()},
        {"string list to list", "toList", ab, QVariantList {str("a"), str("b")}},
        {"list itself", "toList", QVariantList {1, str("x")}, QVariantList {1, str("x")}},

        {"list to strings", "toStringList", QVariantList {1, 2.5, true, str("x"), QVariantList {}},
         QStringList {QStringLiteral("1"), QStringLiteral("2.5"), QStringLiteral("true"), QStringLiteral("x"), QString()}},
        {"string list itself", "toStringList", ab, ab},
        {"string to string list", "toStringList", str("a"), QStringList()},
        {"int to string list", "toStringList", 1, QStringList()},

        {"blanks around", "toInt", str(" 42 "), 42},
        {"negative", "toInt", str("-7"), -7},
        {"fraction text is no integer", "toInt", str("2.5"), 0},
        {"hex text is no integer", "toInt", str("0x10"), 0},
        {"junk", "toInt", str("12abc"), 0},
        {"empty", "toInt", str(""), 0},
        {"too large for int", "toInt", str("99999999999"), 0},
        {"double truncates", "toInt", 2.9, 2},
        {"negative double truncates toward zero", "toInt", -2.9, -2},
        {"bool", "toInt", true, 1},
        {"list", "toInt", QStringList {QStringLiteral("5")}, 0},
        {"invalid", "toInt", invalid, 0},
        {"negative text", "toUInt", str("-1"), 0u},
        {"uint max", "toUInt", str("4294967295"), 4294967295u},
        {"double", "toUInt", 3.7, 3u},
        {"large text", "toLongLong", str(" 99999999999 "), qlonglong(99999999999LL)},
        {"double", "toLongLong", -1e3, qlonglong(-1000)},
        {"ulonglong max text", "toULongLong", str("18446744073709551615"), std::numeric_limits<qulonglong>::max()},
        {"negative text", "toULongLong", str("-1"), qulonglong(0)},

        {"text", "toDouble", str("2.5"), 2.5},
        {"exponent with blanks", "toDouble", str(" 1e3 "), 1000.0},
        {"decimal comma is no number", "toDouble", str("2,5"), 0.0},
        {"junk", "toDouble", str("abc"), 0.0},
        {"int", "toDouble", 3, 3.0},
        {"ulonglong", "toDouble", qulonglong(1) << 63, 9223372036854775808.0},
        {"bool", "toDouble", true, 1.0},
        {"list", "toDouble", QVariantList {1}, 0.0},

        {"empty text", "toBool", str(""), false},
        {"zero text", "toBool", str("0"), false},
        {"false any case", "toBool", str("FaLsE"), false},
        {"no is true", "toBool", str("no"), true},
        {"blank zero is true", "toBool", str(" 0"), true},
        {"zero", "toBool", 0, false},
        {"negative", "toBool", -1, true},
        {"half", "toBool", 0.5, true},
        {"zero double", "toBool", 0.0, false},
        {"list", "toBool", QStringList {QStringLiteral("x")}, false},
        {"invalid", "toBool", invalid, false},

        {"int and text", "equals", pair(5, str("5")), true},
        {"text and int", "equals", pair(str("5"), 5), true},
        {"text keeps its form", "equals", pair(str("5.0"), 5), false},
        {"int from fraction text", "equals", pair(5, str("5.0")), false},
        {"zero and fraction text", "equals", pair(0, str("2.5")), true},
        {"double and padded text", "equals", pair(2.5, str(" 2.5 ")), true},
        {"uint and double truncated", "equals", pair(3u, 3.7), true},
        {"double and int", "equals", pair(3.0, 3), true},
        {"bool and text", "equals", pair(true, str("yes")), true},
        {"bool false and zero text", "equals", pair(false, str("0")), true},
        {"invalid and invalid", "equals", pair(invalid, invalid), true},
        {"invalid and empty text", "equals", pair(invalid, str("")), false},
        {"empty text and invalid", "equals", pair(str(""), invalid), false},
        {"string list and list", "equals", pair(ab, QVariantList {str("a"), str("b")}), true},
        {"lists entry by entry", "equals", pair(QVariantList {1, str("a")}, QVariantList {str("1"), str("a")}), true},
        {"lists of other length", "equals", pair(QVariantList {1}, QVariantList {1, 2}), false},
        {"list and text", "equals", pair(QVariantList {}, str("")), true},
    };
    for (const auto& r : rows)
        QTest::addRow("%s: %s", r.to, r.row) << QString::fromLatin1(r.to) << r.input << r.expected;
}

void tst_VariantConv::conversions()
{
    QFETCH(QString, to);
    QFETCH(QVariant, input);
    QFETCH(QVariant, expected);

    const QVariant result = convert(to, input);
    QCOMPARE(result.typeName(), expected.typeName());
    QCOMPARE(result, expected);
}

QTEST_GUILESS_MAIN(tst_VariantConv)
#include "tst_variantconv.moc"
