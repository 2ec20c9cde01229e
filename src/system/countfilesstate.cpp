// SPDX-License-Identifier: MIT
#include "system/countfilesstate.h"
#include "engine/trace.h"
#include "engine/variantconv.h"

#include <QFileInfo>

namespace {

template <class Flag>
struct Keyword {
    const char* name;
    Flag bits;
};

// The keyword names are those scripts use; the bits are looked up by meaning, because some
// of the toolkit's values moved over the years (LocaleAware among them).
const Keyword<QDir::Filter> kFilterKeywords[] = {
    {"dirs", QDir::Dirs},
    {"files", QDir::Files},
    {"drives", QDir::Drives},
    {"nosymlinks", QDir::NoSymLinks},
    {"all", QDir::AllEntries},
    {"typemask", QDir::TypeMask},
    {"readable", QDir::Readable},
    {"writable", QDir::Writable},
    {"executable", QDir::Executable},
    {"rwemask", QDir::PermissionMask},
    {"modified", QDir::Modified},
    {"hidden", QDir::Hidden},
    {"system", QDir::System},
    {"accessmask", QDir::AccessMask},
};

const Keyword<QDir::SortFlag> kSortKeywords[] = {
    {"name", QDir::Name},
    {"time", QDir::Time},
    {"size", QDir::Size},
    {"unsorted", QDir::Unsorted},
    {"sortbymask", QDir::SortByMask},
    {"dirsfirst", QDir::DirsFirst},
    {"reversed", QDir::Reversed},
    {"ignorecase", QDir::IgnoreCase},
    {"localeaware", QDir::LocaleAware},
};

template <class Flag, size_t N>
int keywordBits(const QString& value, const Keyword<Flag> (&table)[N])
{
    int bits = 0;
    for (const QString& part : value.split(QLatin1Char('|'), Qt::SkipEmptyParts))
        for (const Keyword<Flag>& keyword : table)
            if (part == QLatin1String(keyword.name))
                bits |= int(keyword.bits);
    return bits;
}

} // namespace

CCountFilesState::CCountFilesState(QObject* parent, const char* name, const QDomNode& element)
    : CState(parent, name, element)
{
}

void CCountFilesState::initialize()
{
    addRequiredProperty(QStringLiteral("fileFilter"));
    addAnnouncedProperty(QStringLiteral("fileCount"));
    addAnnouncedProperty(QStringLiteral("fileList"));
    addAnnouncedProperty(QStringLiteral("fileName"));
    addEvents({QStringLiteral("noFilesFound"), QStringLiteral("singleFileFound"), QStringLiteral("multipleFilesFound")});
}

QDir::Filters CCountFilesState::filterFromKeywords(const QString& value)
{
    return QDir::Filters(keywordBits(value, kFilterKeywords));
}

QDir::SortFlags CCountFilesState::sortFromKeywords(const QString& value)
{
    return QDir::SortFlags(keywordBits(value, kSortKeywords));
}

void CCountFilesState::enter()
{
    const QString fileFilter = Qt3::toString(property("fileFilter"));
    QString path = expandMacros(Qt3::toString(property("path")));
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    if (!QFileInfo(path).isDir()) {
        SFSM_TRACE("utilityStates", QStringLiteral("! Path '") + path + QStringLiteral("' not found !"));
        // Counts of an earlier entry must not pass for this one's.
        finish({});
        return;
    }
    QDir dir(path, fileFilter);
    QDir::Filters filter = QDir::AllEntries;
    if (hasProperty("filter"))
        filter = filterFromKeywords(Qt3::toString(property("filter")));
    // The folder itself and its parent are no entries of it.
    dir.setFilter(filter | QDir::NoDotAndDotDot);
    dir.setSorting(hasProperty("sort") ? sortFromKeywords(Qt3::toString(property("sort")))
                                       : QDir::SortFlags(QDir::Name | QDir::IgnoreCase));
    QStringList files = dir.entryList();
    for (QString& file : files)
        file.prepend(path);
    SFSM_TRACE("utilityStates", QString::number(files.size()) + QStringLiteral(" found with filter ") + fileFilter);
    finish(files);
}

void CCountFilesState::finish(const QStringList& files)
{
    setProperty("fileCount", int(files.size()));
    setProperty("fileList", files);
    if (files.size() == 1)
        setProperty("fileName", files.first());
    setLeaveEvent(files.isEmpty() ? QStringLiteral("noFilesFound")
                                  : files.size() == 1 ? QStringLiteral("singleFileFound")
                                                      : QStringLiteral("multipleFilesFound"));
    leaveState();
}
