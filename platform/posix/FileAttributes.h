#pragma once

#include <sys/stat.h>

namespace mirado {

class SystemCalls;

// Gives the copy targetFd what cp -p keeps of the source: the permission
// bits, with the set-user-id and set-group-id bits only while the copy has
// the source's owner and group; the access ACL (where the target's file
// system refuses it, the group bits are cut to the group's effective
// rights, so the copy is never more open than the source); the user's own
// extended attributes where the file system takes them; and the times.
// Metadata the target cannot store does not fail the copy.
void CopyAttributes(SystemCalls& calls, int sourceFd, const struct stat& source, int targetFd);

}  // namespace mirado
