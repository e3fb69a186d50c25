#include "engine/core/ThreadPriority.h"

#include <sys/resource.h>

void LowerThisThreadsPriority() {
  // On Linux every thread has a nice value of its own, and PRIO_PROCESS with
  // 0 names the calling thread. Raising it needs no privilege.
  (void)setpriority(PRIO_PROCESS, 0, 10);
}
