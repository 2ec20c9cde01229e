// SPDX-License-Identifier: MIT
#include "engine/statefactory.h"
#include "system/registertypes.h"
#include "system/copystates.h"
#include "system/countfilesstate.h"
#include "system/removefilesstate.h"

void registerCopyTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("copyDir"), &createStateOf<CCopyRecursiveState>);
    factory->addCreator(QStringLiteral("copyFiles"), &createStateOf<CCopyFilesState>);
    factory->addCreator(QStringLiteral("copyRenameFiles"), &createStateOf<CCopyRenameFilesState>);
    factory->addCreator(QStringLiteral("countFiles"), &createStateOf<CCountFilesState>);
    factory->addCreator(QStringLiteral("removeFiles"), &createStateOf<CRemoveFilesState>);
    // The files to copy are numbered from 1: copyFile1, copyFile2, ...
    const QStringList copyFiles = {QStringLiteral("srcDir"), QStringLiteral("destDir"), QStringLiteral("copyFileN")};
    factory->setOptionalProperties(QStringLiteral("copyFiles"), copyFiles);
    factory->setOptionalProperties(QStringLiteral("copyRenameFiles"), copyFiles);
    factory->setOptionalProperties(QStringLiteral("countFiles"),
                                   {QStringLiteral("path"), QStringLiteral("filter"), QStringLiteral("sort")});
}
