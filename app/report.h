#pragma once

namespace ZQ3 {

// Shows message id to the user: its text goes to the sound library's log, whose printer the
// front end installed. A report never ends a command by itself.
void ReportMessage(int id);

} // namespace ZQ3
