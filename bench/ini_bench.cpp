// SPDX-License-Identifier: MIT
// readIniValue on a 16 MiB INI file of 200,000 keys in 2,000 sections, beside QSettings in INI
// format reading the same file in the same run. The state works on the text content that a
// "readFile" state hands it; a second figure adds that reading and decoding of the file, which
// QSettings does as part of its own work.
#include "bench.h"
#include "engine/variantconv.h"
#include "settings/inistates.h"
#include "system/filecontent.h"

#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <memory>

namespace {

constexpr int kSections = 2000;
constexpr int kKeysPerSection = 100;
constexpr qint64 kFileSize = qint64(16) << 20;

QByteArray generateIni()
{
    const qint64 lineSize = kFileSize / (kSections * (kKeysPerSection + 1));
    QByteArray text;
    text.reserve(kFileSize + (1 << 16));
    for (int s = 0; s < kSections; ++s) {
        text += "[section_" + QByteArray::number(s) + "]\n";
        for (int k = 0; k < kKeysPerSection; ++k) {
            QByteArray line = "key_" + QByteArray::number(k) + " = " + QByteArray::number(s * kKeysPerSection + k) + ' ';
            line += QByteArray(std::max<qint64>(1, lineSize - line.size() - 1), 'v');
            text += line + '\n';
        }
    }
    return text;
}

CFileContent* readContent(const QString& file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        qFatal("ini: cannot read %s", qPrintable(file));
    auto* content = new CFileContent(file);
    content->setText(QTextStream(&f).readAll());
    return content;
}

QString readWithState(CFileContent* content)
{
    CReadIniValueState state(nullptr, "read", QDomNode());
    state.setObjectProperty("content", content);
    state.setProperty("section1", QStringLiteral("section_1500"));
    state.setProperty("key1", QStringLiteral("key_42"));
    state.setProperty("type1", QStringLiteral("text"));
    state.enter();
    return Qt3::toString(Qt3::toList(state.property("valueList")).value(0));
}

QString readWithQSettings(const QString& file)
{
    const QSettings settings(file, QSettings::IniFormat);
    return settings.value(QStringLiteral("section_1500/key_42")).toString();
}

template <class F>
double bestOf(int runs, F work)
{
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        const double start = Bench::now();
        work(i);
        best = std::min(best, Bench::now() - start);
    }
    return best;
}

const Bench::Register readFigure("ini.read_mib_per_s", [] {
    QTemporaryDir dir;
    const QByteArray text = generateIni();
    constexpr int kRuns = 5;
    // Qt keeps every settings file it has read, per path, and reads it again only when it
    // changes; each run of QSettings gets a path of its own so that it parses for real.
    for (int i = 0; i < kRuns; ++i) {
        QFile f(dir.filePath(QStringLiteral("setup%1.ini").arg(i)));
        if (!f.open(QIODevice::WriteOnly) || f.write(text) != text.size())
            qFatal("ini: cannot write the test file");
    }
    const auto path = [&](int i) { return dir.filePath(QStringLiteral("setup%1.ini").arg(i)); };
    const QString expected = QString::number(1500 * kKeysPerSection + 42);
    QString ours;
    QString withFile;
    QString theirs;
    const std::unique_ptr<CFileContent> content(readContent(path(0)));
    const double stateSeconds = bestOf(kRuns, [&](int) { ours = readWithState(static_cast<CFileContent*>(content->clone())); });
    const double withFileSeconds = bestOf(kRuns, [&](int i) { withFile = readWithState(readContent(path(i))); });
    const double qsettingsSeconds = bestOf(kRuns, [&](int i) { theirs = readWithQSettings(path(i)); });
    for (const QString& read : {ours, withFile, theirs}) {
        if (!read.startsWith(expected + QLatin1Char(' ')))
            qFatal("ini: read '%s'", qPrintable(read.left(20)));
    }
    const double mib = double(text.size()) / (1 << 20);
    Bench::report(QStringLiteral("ini.read_mib_per_s"), mib / stateSeconds, QStringLiteral("MiB/s"));
    Bench::report(QStringLiteral("ini.read_with_file_mib_per_s"), mib / withFileSeconds, QStringLiteral("MiB/s"));
    Bench::report(QStringLiteral("ini.qsettings_mib_per_s"), mib / qsettingsSeconds, QStringLiteral("MiB/s"));
    Bench::report(QStringLiteral("ini.read_over_qsettings"), qsettingsSeconds / stateSeconds, QStringLiteral("x"));
});

} // namespace
