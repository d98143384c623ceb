#pragma once

#include "TemporaryName.h"

namespace mirado {

class SystemCalls;

// This process as the owner of the temporary copies it writes: the
// computer's name, the process id and its creation time, which together
// never name another process, not even after a restart.
const TemporaryOwner& ThisProcess();

// True only when owner's process is known to run no more: no process has
// its id, or the one that has it was created at another time, or it has
// exited. A process that cannot be asked (another user's) counts as running.
bool HasEnded(SystemCalls& calls, const TemporaryOwner& owner);

}  // namespace mirado
