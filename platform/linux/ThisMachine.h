#pragma once

#include "TemporaryName.h"

namespace mirado {

// This process as the owner of the files it writes in folders that others
// may see: its computer (the hash of /etc/machine-id and the host name, so
// that two computers sharing a folder never match), its process id, and
// the boot it runs in (the hash of the kernel's boot id, random per boot
// and the same in every namespace). Whether it still runs is never read
// from here but from the lock that it holds on each such file.
const TemporaryOwner& ThisProcess();

// True when files named by an earlier boot of this computer can be told
// as such: the machine id and the boot id are both known.
bool BootsCanBeTold();

}  // namespace mirado
