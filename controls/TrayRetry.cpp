#include "controls/TrayRetry.h"

namespace vcl {

bool TrayRetryDue(unsigned long elapsedMs) { return elapsedMs < TrayRetryPeriodMs; }

} // namespace vcl
