#pragma once

namespace ZQ3 {

// Ctrl-C while a command works is the Cancel button: it never kills the tool half-way through
// moving files on the card. The handler only records the request; the command's progress
// answers it at its next cancel point, and a phase that cannot be cancelled runs to its end.
void InstallInterruptHandler();
bool InterruptRequested();
void ClearInterrupt();

} // namespace ZQ3
