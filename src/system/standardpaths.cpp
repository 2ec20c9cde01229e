// SPDX-License-Identifier: MIT
#include "system/standardpaths.h"
#include "platform/folders.h"
#include "platform/osinfo.h"
#include "platform/osversion.h"

#include <QCoreApplication>

namespace {

constexpr int kMaxPasses = 10;
// Common folders exist from version 5.0 on; older systems use the per-user folder.
constexpr unsigned kCommonFoldersVersion = 0x50000;

QString macroName(const char* name)
{
    return QLatin1Char('%') + QLatin1String(name) + QLatin1Char('%');
}

// The system folders are stored without a trailing separator, also for a drive root ("C:\"),
// so that "%WINDIR%\file" always has exactly one separator.
QString withoutTrailingSeparator(QString path)
{
    if (path.endsWith(QLatin1Char('\\')) || path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

bool isMacroChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
}

} // namespace

// Whether the text holds a match of "%[a-zA-Z0-9_]+%". Scanned by hand: expansion runs for every
// file of a copy, also on worker threads, where a shared pattern object would need a lock.
bool IStandardPaths::containsMacro(const QString& text)
{
    const qsizetype n = text.size();
    qsizetype i = text.indexOf(QLatin1Char('%'));
    while (i >= 0 && i + 2 < n) {
        qsizetype j = i + 1;
        while (j < n && isMacroChar(text.at(j)))
            ++j;
        if (j < n && j > i + 1 && text.at(j) == QLatin1Char('%'))
            return true;
        // A '%' that ends a failed attempt may open the next macro.
        i = (j < n && text.at(j) == QLatin1Char('%')) ? j : text.indexOf(QLatin1Char('%'), j);
    }
    return false;
}

IStandardPaths::IStandardPaths()
{
    initStandardPaths();
}

void IStandardPaths::initStandardPaths()
{
    m_macros.clear();
    const std::optional<QString> app = Platform::standardFolder(QStringLiteral("APP"));
    if (app)
        addMacro(macroName("APP"), *app);
    else
        addMacro(macroName("APP"), QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QString());

    const std::optional<QString> winDir = Platform::standardFolder(QStringLiteral("WINDIR"));
    if (winDir)
        addMacro(macroName("WINDIR"), withoutTrailingSeparator(*winDir));
    std::optional<QString> sysDir = Platform::standardFolder(QStringLiteral("WINSYSDIR"));
    if (sysDir) {
        sysDir = withoutTrailingSeparator(*sysDir);
        addMacro(macroName("WINSYSDIR"), *sysDir);
    }
    const std::optional<QString> drive = Platform::standardFolder(QStringLiteral("WINDRIVE"));
    if (drive)
        addMacro(macroName("WINDRIVE"), *drive);
    else if (sysDir)
        addMacro(macroName("WINDRIVE"), sysDir->left(2));

    const std::optional<QString> temp = Platform::standardFolder(QStringLiteral("TEMP"));
    addMacro(macroName("TEMP"), temp ? *temp : qEnvironmentVariable("TEMP"));

    // A 32-bit process on a 64-bit system installs into the 32-bit program folder.
    if (OsVersion::isWow64() && Platform::standardFolder(QStringLiteral("PROGRAM_FILES_X86")))
        addFolder("PROGRAM_FILES", QStringLiteral("PROGRAM_FILES_X86"));
    else
        addFolder("PROGRAM_FILES", QStringLiteral("PROGRAM_FILES"));
    addFolder("APPDATA", QStringLiteral("APPDATA"));
    addFolder("LOCAL_APPDATA", QStringLiteral("LOCAL_APPDATA"));
    addFolder("COMMON_APPDATA", QStringLiteral("COMMON_APPDATA"));
    addCommonPair("PROGRAMS", "COMMON_PROGRAMS", QStringLiteral("PROGRAMS"), QStringLiteral("COMMON_PROGRAMS"));
    addCommonPair("DESKTOP", "COMMON_DESKTOP", QStringLiteral("DESKTOP"), QStringLiteral("COMMON_DESKTOP"));
    addCommonPair("STARTMENU", "COMMON_STARTMENU", QStringLiteral("STARTMENU"), QStringLiteral("COMMON_STARTMENU"));
    addCommonPair("STARTUP", "COMMON_STARTUP", QStringLiteral("STARTUP"), QStringLiteral("COMMON_STARTUP"));
}

void IStandardPaths::addFolder(const char* macro, const QString& name)
{
    const std::optional<QString> folder = Platform::standardFolder(name);
    if (folder)
        addMacro(macroName(macro), *folder);
}

void IStandardPaths::addCommonPair(const char* userMacro, const char* commonMacro, const QString& userName,
                                   const QString& commonName)
{
    const std::optional<QString> user = Platform::standardFolder(userName);
    if (!user)
        return;
    addMacro(macroName(userMacro), *user);
    const std::optional<QString> common = Platform::standardFolder(commonName);
    // Only a Windows record's number says whether common folders exist: a Linux kernel 4.x
    // is no Windows NT 4.
    const Platform::OsInfo& os = Platform::osInfo();
    const bool hasCommon = common && (os.platformId == 0 || os.versionNumber() >= kCommonFoldersVersion);
    addMacro(macroName(commonMacro), hasCommon ? *common : *user);
}

void IStandardPaths::addMacro(const QString& name, const QString& value)
{
    m_macros.insert(name, value);
}

QString IStandardPaths::expandMacros(const QString& text) const
{
    QString result = text;
    for (int pass = 0; pass < kMaxPasses && containsMacro(result); ++pass) {
        for (auto it = m_macros.constBegin(); it != m_macros.constEnd(); ++it)
            result.replace(it.key(), it.value(), Qt::CaseSensitive);
    }
    return result;
}
