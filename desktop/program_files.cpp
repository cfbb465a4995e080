#include "desktop/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef ZQ3_INSTALLED_DATA_DIR
#define ZQ3_INSTALLED_DATA_DIR ""
#endif

namespace ZQ3::Desktop {

QString ProgramDataDirectory(const QString& folderName) {
    const QString besideProgram = QCoreApplication::applicationDirPath() + "/" + folderName;
    if (QFileInfo(besideProgram).isDir()) {
        return besideProgram;
    }
    // An installation keeps its data in share/ beside bin/, wherever its prefix is; the folder
    // configured at build time is the last resort.
    const QString shared =
        QCoreApplication::applicationDirPath() + "/../share/zq3-converter/" + folderName;
    if (QFileInfo(shared).isDir()) {
        return QDir::cleanPath(shared);
    }
    const QString installed = QStringLiteral(ZQ3_INSTALLED_DATA_DIR) + "/" + folderName;
    if (!QStringLiteral(ZQ3_INSTALLED_DATA_DIR).isEmpty() && QFileInfo(installed).isDir()) {
        return installed;
    }
    return besideProgram;
}

} // namespace ZQ3::Desktop
