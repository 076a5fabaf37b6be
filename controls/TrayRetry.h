// When a tray icon that the shell refused at start is tried again. At logon a
// program in the Startup folder may start before the shell's notification area
// exists: the icon then stays pending and is added quietly as soon as the shell
// takes it, on its "TaskbarCreated" broadcast or on one of these retries.
// Pure: no window system.
#pragma once

namespace vcl {

// Time between two quiet attempts.
constexpr unsigned TrayRetryIntervalMs = 3000;
// How long after the first refusal the quiet attempts go on; later only the
// shell's own broadcast brings the icon.
constexpr unsigned long TrayRetryPeriodMs = 5ul * 60 * 1000;

// True when another quiet attempt is due, `elapsedMs` after the first refusal.
bool TrayRetryDue(unsigned long elapsedMs);

} // namespace vcl
