#pragma once

#include <string>

namespace ZQ3 {

// Shows message id to the user: its text goes to the sound library's log, whose printer the
// front end installed. A report never ends a command by itself.
void ReportMessage(int id);
// The same with the reason behind it: detail follows the message, which stays as the catalogue
// has it, and the printer decides how to show the two (stderr: the detail on the next line; a
// message box: as its informative text). An empty detail reports the message alone.
void ReportMessage(int id, const std::string& detail);

} // namespace ZQ3
