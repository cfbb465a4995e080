#include "ui/program_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#ifndef ZQ3_INSTALLED_DATA_DIR
#define ZQ3_INSTALLED_DATA_DIR ""
#endif

namespace UL {

QString ProgramDataDirectory(const QString& folderName) {
    const QString besideProgram = QCoreApplication::applicationDirPath() + "/" + folderName;
    if (QFileInfo(besideProgram).isDir()) {
        return besideProgram;
    }
    const QString installed = QStringLiteral(ZQ3_INSTALLED_DATA_DIR) + "/" + folderName;
    if (!QStringLiteral(ZQ3_INSTALLED_DATA_DIR).isEmpty() && QFileInfo(installed).isDir()) {
        return installed;
    }
    return besideProgram;
}

} // namespace UL
