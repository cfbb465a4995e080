#pragma once

#include "card/card_obstacle.h"

#include <string>
#include <vector>

namespace ZQ3 {

// The details that follow a command's message when something on the card is in the way of a
// change, in the catalogue's current language: what stands where, and what the user can do.

// "A folder is in the way at .../SMP0003L.ZQD ...", or the name at which the system refused.
std::string CardObstacleDetail(const CardObstacle& obstacle);

// What is in the way at the first of the card files at paths that is not a regular file or
// absent: the reason a pad's channel files were not read. Empty when each is one.
std::string CardFilesDetail(const std::vector<std::string>& paths, IFileSystem& fs);

// A change interrupted earlier that cannot be completed now, in the card's folder cardDirectory,
// for what is in the way.
std::string RecoveryObstacleDetail(const std::string& cardDirectory, const CardObstacle& obstacle);

// The converter folder of the card at root, or its KELDRA folder, is a symbolic link.
std::string LinkedConverterFolderDetail(const std::string& root);

} // namespace ZQ3
