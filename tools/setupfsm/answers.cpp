#include "answers.h"

#include "engine/fsm.h"

#include <QFile>
#include <QSet>

void AnswerBook::add(const QString& name, const QString& value)
{
    m_answers.append(qMakePair(name, value));
}

bool AnswerBook::addFile(const QString& path, QString* error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read answers file '%1': %2").arg(path, file.errorString());
        return false;
    }
    // A file that is a device or a pipe would be read for ever; answers files are small.
    constexpr qint64 kMaxSize = 1 << 20;
    const QByteArray content = file.read(kMaxSize + 1);
    if (content.size() > kMaxSize) {
        *error = QStringLiteral("answers file '%1' is larger than 1 MiB").arg(path);
        return false;
    }
    const QList<QByteArray> lines = content.split('\n');
    QList<QPair<QString, QString>> read;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = QString::fromUtf8(lines.at(i)).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        const QString name = line.left(eq).trimmed();
        if (eq < 0 || name.isEmpty()) {
            *error = QStringLiteral("%1:%2: expected NAME=EVENT, not '%3'").arg(path).arg(i + 1).arg(line);
            return false;
        }
        read.append(qMakePair(name, line.mid(eq + 1).trimmed()));
    }
    m_answers += read;
    return true;
}

QString AnswerBook::take(const QString& name, const QString& fullName)
{
    for (qsizetype i = 0; i < m_answers.size(); ++i) {
        const QString& key = m_answers.at(i).first;
        if (key == fullName || key == name)
            return m_answers.takeAt(i).second;
    }
    return QString();
}

QStringList AnswerBook::unused() const
{
    QStringList out;
    for (const auto& [name, value] : m_answers)
        out << name + QLatin1Char('=') + value;
    return out;
}

QStringList AnswerBook::unknownNames(const QStringList& pageNames) const
{
    const QSet<QString> pages(pageNames.begin(), pageNames.end());
    QStringList unknown;
    for (const auto& [name, value] : m_answers) {
        // A field answer names its page before the last full stop; page names hold none.
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        const bool known = pages.contains(name) || (dot > 0 && pages.contains(name.left(dot)));
        if (!known && !unknown.contains(name))
            unknown << name;
    }
    return unknown;
}

namespace {

void collectPages(CFsm* fsm, const QString& pageType, QStringList* names)
{
    for (CState* s : fsm->states()) {
        if (CFsm* sub = qobject_cast<CFsm*>(s)) {
            collectPages(sub, pageType, names);
        } else if (s->typeName() == pageType) {
            *names << s->objectName() << s->fullName();
        }
    }
}

} // namespace

QStringList pageNamesOf(CFsm* root, const QString& pageType)
{
    QStringList names;
    if (root)
        collectPages(root, pageType, &names);
    return names;
}
