#pragma once

#include <optional>
#include <string>
#include <vector>

namespace mirado {

class SystemCalls;
struct TargetFileSystem;

// The third way for a finished temporary file to take its name, where the
// file system can neither rename without replacing nor link (exFAT and vfat
// through FUSE): the name is claimed with an empty file of our own,
// created exclusively, and the data is renamed over the claim only while
// the name still holds that very file (the same device and inode as the
// descriptor it was created with), unchanged. A record of the claim, a
// ".claim" file of ours locked while the claim lives, says first which
// name is to be claimed and then, once it is, the claim's identity: a claim
// left by a kill goes only when its record was completed. Returns 0, an
// errno value (EEXIST when the name is taken), NewFile::kClaimLost, or
// kNoFileIdentity; after a failure neither the claim nor its record is left.
constexpr int kNoFileIdentity = -4;  // the disk gives files no identity to prove a claim by
int ClaimAndRename(SystemCalls& calls, int folderFd, TargetFileSystem& fs, const std::string& temporaryName,
                   const std::string& name);

// The claim that the record at recordFd (of an ended batch, open and
// locked) names in dirFd, removed when the record is complete, the name is
// spelled exactly so in listing, and it is still the empty file that was
// claimed. Returns its name when it was removed.
std::optional<std::string> RemoveClaimOf(SystemCalls& calls, int dirFd, int recordFd,
                                         const std::vector<std::string>& listing);

}  // namespace mirado
