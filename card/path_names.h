#pragma once

#include <string>

// The parts of a path as the converter names them to the user and to the file system. Paths are
// taken as text: nothing here looks at the disk.
namespace ZQ3::PathNames {

// path without the "/" at its end; "/" stays "/".
std::string WithoutTrailingSeparators(std::string path);

// The folder path is in: "." for a bare name, "/" for an item of the root.
std::string ParentDirectory(const std::string& path);

// The last part of path, what a user calls the file's or folder's name.
std::string LastPart(const std::string& path);

} // namespace ZQ3::PathNames
