// SPDX-License-Identifier: MIT
#include "system/registertypes.h"
#include "engine/statefactory.h"
#include "system/createdirstate.h"
#include "system/filereadstates.h"
#include "system/filewritestates.h"
#include "system/fileversionstate.h"

void registerSystemTypes(CStateFactory* factory)
{
    factory->addCreator(QStringLiteral("createDirectory"), &createStateOf<CCreateDirState>);
    factory->addCreator(QStringLiteral("getFileVersion"), &createStateOf<CGetFileVersionState>);
    factory->addCreator(QStringLiteral("readFile"), &createStateOf<CReadFileState>);
    factory->addCreator(QStringLiteral("readTextFile"), &createStateOf<CReadTextFileState>);
    factory->addCreator(QStringLiteral("writeFile"), &createStateOf<CWriteFileState>);
    factory->addCreator(QStringLiteral("writeTextFile"), &createStateOf<CWriteTextFileState>);
    factory->addCreator(QStringLiteral("appendToFile"), &createStateOf<CAppendToFileState>);
    factory->setOptionalProperties(QStringLiteral("readTextFile"), {QStringLiteral("codec")});
    factory->setOptionalProperties(QStringLiteral("writeTextFile"), {QStringLiteral("codec")});
}
