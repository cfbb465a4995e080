#pragma once

#include <QString>

namespace ZQ3::Desktop {

// The folder of the program's own data named folderName ("Bitmap", "Manual"): beside the program
// when it is there (the build tree, or a program unpacked anywhere), otherwise in the data folder
// the installation put it in. Without either, the folder beside the program, so that what is
// missing is named where a user would look.
QString ProgramDataDirectory(const QString& folderName);

} // namespace ZQ3::Desktop
