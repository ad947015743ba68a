// SPDX-License-Identifier: GPL-3.0-or-later
#include "LocateAppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace harrowdeck {

namespace {

std::string ToLocalPath(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

} // namespace

AppPaths LocateAppPaths()
{
    const QString programDir = QCoreApplication::applicationDirPath();
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    ProgramDirFacts facts;
    facts.writable = QFileInfo(programDir).isWritable();
    facts.holdsParams = QFileInfo::exists(QDir(programDir).filePath(kParamFileName));
    return MakeAppPaths(ToLocalPath(programDir), ToLocalPath(configDir), facts);
}

} // namespace harrowdeck
