#pragma once

#include <optional>
#include <string>

namespace mirado {

class SystemCalls;

// The third way for a finished temporary file to take its name, where the
// file system can neither rename without replacing nor link (exFAT and vfat
// through FUSE): the name is claimed with an empty file of our own,
// created exclusively, and the data is renamed over the claim only while
// the name still holds that claim, unchanged. A record of the claim (a
// ".claim" name of ours holding the final name) comes first and goes last,
// so that a claim left by a kill can be told from another program's file.
// Returns 0 or an errno value (EEXIST when the name is taken); after a
// failure neither the claim nor its record is left.
int ClaimAndRename(SystemCalls& calls, int folderFd, const std::string& temporaryName, const std::string& name);

// Removes the claim record at recordName in dirFd, which an ended batch
// left, and the claim it names when that is still an empty regular file of
// this user. Returns the name of the claim when it was removed.
std::optional<std::string> RemoveLeftOverClaim(SystemCalls& calls, int dirFd, const char* recordName);

}  // namespace mirado
