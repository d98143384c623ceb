#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace mirado {

class SystemCalls;

// What a copy keeps of its source's metadata, read before it is applied, so
// that applying it needs nothing that can fail.
struct SourceAttributes {
    struct stat status {};                                      // mode, owner, group and times
    std::vector<std::pair<std::string, std::string>> user;      // the user.* attributes: names and values
    std::string acl;                                            // the access ACL where it says more than the mode
    mode_t aclGroupBits = 0;                                    // the group's rights under that ACL, as mode bits
};

// Reads what the copy of the open source will keep; source is its status.
SourceAttributes ReadAttributes(SystemCalls& calls, int sourceFd, const struct stat& source);

// Gives the copy targetFd what cp -p keeps of the source: the permission
// bits, with the set-user-id and set-group-id bits only while the copy has
// the source's owner and group; the access ACL (where the target's file
// system refuses it, the group bits are cut to the group's effective
// rights, so the copy is never more open than the source); the user's own
// extended attributes where the file system takes them; and the times.
// Metadata the target cannot store does not fail the copy. created is the
// copy's mode as it was created, when known; otherwise it is looked up and
// given back there.
void ApplyAttributes(SystemCalls& calls, const SourceAttributes& attributes, int targetFd,
                     std::optional<mode_t>& created) noexcept;

}  // namespace mirado
