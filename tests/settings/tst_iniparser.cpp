// SPDX-License-Identifier: MIT
// INI text read into sections and written back, for well-formed text and for text of any shape.
#include "settings/iniparser.h"
#include "settings/inisection.h"

#include <QRandomGenerator>
#include <QtTest>

namespace {

// "section:key=value,key=value;section:..." in the parser's order.
QString dump(const CIniParser& ini)
{
    QStringList sections;
    for (const QString& name : ini.sectionNames()) {
        QStringList keys;
        const QMap<QString, QString>& map = ini.section(name)->keys();
        for (auto it = map.cbegin(); it != map.cend(); ++it)
            keys.append(it.key() + QLatin1Char('=') + it.value());
        sections.append(name + QLatin1Char(':') + keys.join(QLatin1Char(',')));
    }
    return sections.join(QLatin1Char(';'));
}

} // namespace

class tst_IniParser : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parsing_data();
    void parsing();
    void writing_data();
    void writing();
    void textOfAnyShape_data();
    void textOfAnyShape();
};

void tst_IniParser::parsing_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected");
    QTest::newRow("empty text holds no section") << "" << "";
    QTest::newRow("keys before a header go to _default")
        << "k=v\n[s]\nx=1" << "_default:k=v;s:x=1";
    QTest::newRow("a second = stays in the value") << "a=b=c" << "_default:a=b=c";
    QTest::newRow("blanks around key and value") << " \ta  =  b c \t" << "_default:a=b c";
    QTest::newRow("header with blank or dot is a key")
        << "[s]\n[a b]\n[a.b]" << "_default:;s:[a b]=,[a.b]=";
    QTest::newRow("line without = has an empty value") << "[s]\njustkey" << "_default:;s:justkey=";
    QTest::newRow("last duplicate key wins") << "a=1\na=2" << "_default:a=2";
    QTest::newRow("repeated header replaces the section")
        << "[s]\na=1\n[s]\nb=2" << "_default:;s:b=2";
    QTest::newRow("[_default] replaces the default section") << "a=1\n[_default]\nb=2" << "_default:b=2";
    QTest::newRow("CR LF and lone CR end lines") << "[s]\r\na=1\rb=2\r\n" << "_default:;s:a=1,b=2";
    QTest::newRow("text after the bracket is ignored") << "[s] ; note\na=1" << "_default:;s:a=1";
    QTest::newRow("header without bracket") << "[s\na=1" << "_default:[s=,a=1";
    QTest::newRow("indented header is a key") << " [s]" << "_default:[s]=";
    QTest::newRow("comments and blank lines are keys") << ";c=1\n\n#x" << "_default:=,#x=,;c=1";
    QTest::newRow("keys in name order") << "b=1\na=2\nB=3" << "_default:B=3,a=2,b=1";
    QTest::newRow("non-Latin-1 keys") << "[s]\nплотность=∞" << "_default:;s:плотность=∞";
}

void tst_IniParser::parsing()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const CIniParser ini(text);
    QCOMPARE(dump(ini), expected);
    QCOMPARE(ini.sourceText(), text);
}

void tst_IniParser::writing_data()
{
    QTest::addColumn<QStringList>("settings"); // section|key|value
    QTest::addColumn<QString>("expected");
    QTest::newRow("nothing set") << QStringList() << "";
    QTest::newRow("_default first, sections in name order, keys in name order")
        << QStringList {"b|k|1", "_default|z|2", "a|y|3", "a|x|4"} << "z=2\n[a]\nx=4\ny=3\n[b]\nk=1\n";
    QTest::newRow("a key set twice keeps its last value") << QStringList {"s|k|1", "s|k|2"} << "[s]\nk=2\n";
    QTest::newRow("names holding 'name' or '_default' are written")
        << QStringList {"my_default|username|joe", "s|objectName|x"}
        << "[my_default]\nusername=joe\n[s]\nobjectName=x\n";
    QTest::newRow("line breaks cannot add lines")
        << QStringList {"s|k\nx|a\r\n[t]\nb=2"} << "[s]\nk x=a  [t] b=2\n";
    QTest::newRow("a key cannot open a section") << QStringList {"s|[t]|1"} << "[s]\n [t]=1\n";
}

void tst_IniParser::writing()
{
    QFETCH(QStringList, settings);
    QFETCH(QString, expected);
    CIniParser ini;
    for (const QString& s : settings) {
        const QStringList parts = s.split(QLatin1Char('|'));
        ini.setValue(parts.at(0), parts.at(1), parts.at(2));
    }
    QCOMPARE(ini.text(), expected);
    // Text the writer produced reads back as what was set.
    const CIniParser again(ini.text());
    QCOMPARE(again.text(), expected);
}

void tst_IniParser::textOfAnyShape_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QByteArray binary(1 << 20, '\0');
    QRandomGenerator random(13);
    for (char& c : binary)
        c = char(random.bounded(256));
    QTest::newRow("binary bytes") << QString::fromUtf8(binary + "\n[end]\nk=v") << "end" << "k" << "v";
    QTest::newRow("ten million characters on one line")
        << QString(10'000'000, QLatin1Char('x')) + QStringLiteral("=1\n[end]\nk=v") << "end" << "k" << "v";
    QTest::newRow("64 MiB of text")
        << QStringLiteral("[s]\nkey=value\n").repeated((64 << 20) / 15) + QStringLiteral("[end]\nk=v")
        << "end" << "k" << "v";
    QTest::newRow("NUL characters") << QStringLiteral("[s]\nk\0ey=v\0al") << "s"
                                    << QStringLiteral("k") + QChar(0) + QStringLiteral("ey")
                                    << QStringLiteral("v") + QChar(0) + QStringLiteral("al");
}

void tst_IniParser::textOfAnyShape()
{
    QFETCH(QString, text);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, value);
    const CIniParser ini(text);
    QCOMPARE(ini.value(section, key), value);
}

QTEST_GUILESS_MAIN(tst_IniParser)
#include "tst_iniparser.moc"
