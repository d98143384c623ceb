#include "FileAttributes.h"

#include <endian.h>
#include <linux/posix_acl.h>
#include <linux/posix_acl_xattr.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "SystemCalls.h"

namespace mirado {
namespace {

constexpr const char* kAccessAcl = "system.posix_acl_access";
constexpr std::string_view kUserPrefix = "user.";

// The whole value of an extended attribute, or nothing when it cannot be read.
std::optional<std::string> ReadAttribute(SystemCalls& calls, int fd, const char* name) {
    std::string value(256, '\0');
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t size = calls.FGetXattr(fd, name, value.data(), value.size());
        if (size >= 0) {
            value.resize(static_cast<size_t>(size));
            return value;
        }
        if (errno != ERANGE) return std::nullopt;
        const ssize_t needed = calls.FGetXattr(fd, name, nullptr, 0);
        if (needed < 0) return std::nullopt;
        value.resize(static_cast<size_t>(needed));
    }
    return std::nullopt;
}

// The names of the source's extended attributes (NUL-separated, as listed).
std::string ListAttributes(SystemCalls& calls, int fd) {
    char first[1024];  // enough for almost every file, without allocating
    const ssize_t listed = calls.FListXattr(fd, first, sizeof first);
    if (listed >= 0) return std::string(first, static_cast<size_t>(listed));
    if (errno != ERANGE) return {};
    std::string names;
    for (int attempt = 0; attempt < 3; ++attempt) {
        const ssize_t needed = calls.FListXattr(fd, nullptr, 0);
        if (needed < 0) return {};
        names.resize(static_cast<size_t>(needed));
        const ssize_t size = calls.FListXattr(fd, names.data(), names.size());
        if (size >= 0) {
            names.resize(static_cast<size_t>(size));
            return names;
        }
        if (errno != ERANGE) return {};
    }
    return {};
}

// The permissions an access ACL gives, read from its attribute value.
struct AclRights {
    bool extended = false;  // entries beyond owner, owning group and others
    unsigned groupObject = 7;
    unsigned mask = 7;
};

AclRights ReadAcl(std::string_view value) {
    AclRights rights;
    const size_t header = sizeof(posix_acl_xattr_header);
    const size_t entrySize = sizeof(posix_acl_xattr_entry);
    for (size_t at = header; at + entrySize <= value.size(); at += entrySize) {
        posix_acl_xattr_entry entry;
        std::memcpy(&entry, value.data() + at, entrySize);
        const unsigned tag = le16toh(entry.e_tag);
        const unsigned perm = le16toh(entry.e_perm) & 7u;
        if (tag == ACL_GROUP_OBJ) rights.groupObject = perm;
        if (tag == ACL_MASK) rights.mask = perm;
        if (tag == ACL_USER || tag == ACL_GROUP || tag == ACL_MASK) rights.extended = true;
    }
    return rights;
}

// The source's mode as the copy may have it: the set-id bits stay only
// where the copy (null when unknown) has the same owner (and, for
// set-group-id, group).
mode_t CopyMode(const struct stat& source, const struct stat* copy) {
    mode_t mode = source.st_mode & 07777;
    if (copy == nullptr || copy->st_uid != source.st_uid) return mode & ~(S_ISUID | S_ISGID);
    if (copy->st_gid != source.st_gid) mode &= ~S_ISGID;
    return mode;
}

}  // namespace

SourceAttributes ReadAttributes(SystemCalls& calls, int sourceFd, const struct stat& source) {
    SourceAttributes attributes;
    attributes.status = source;
    const std::string names = ListAttributes(calls, sourceFd);
    for (size_t at = 0; at < names.size();) {
        const std::string name(names.c_str() + at);
        at += name.size() + 1;
        const bool acl = name == kAccessAcl;
        if (!acl && name.compare(0, kUserPrefix.size(), kUserPrefix) != 0) continue;
        std::optional<std::string> value = ReadAttribute(calls, sourceFd, name.c_str());
        if (!value) continue;
        if (!acl) {
            attributes.user.emplace_back(name, std::move(*value));
            continue;
        }
        const AclRights rights = ReadAcl(*value);
        if (!rights.extended) continue;  // the mode says it all
        attributes.acl = std::move(*value);
        attributes.aclGroupBits = static_cast<mode_t>(rights.groupObject & rights.mask) << 3;
    }
    return attributes;
}

void ApplyAttributes(SystemCalls& calls, const SourceAttributes& attributes, int targetFd,
                     std::optional<mode_t>& created) noexcept {
    // The copy usually has its mode from its creation already: knowing or
    // looking is cheaper than a change, which goes to the journal. Set-id
    // bits depend on the copy's owner, which only a look tells.
    struct stat copy {};
    bool looked = false;
    if (!created || (attributes.status.st_mode & (S_ISUID | S_ISGID)) != 0) {
        looked = calls.FStat(targetFd, &copy) == 0;
        created = looked ? std::optional<mode_t>(copy.st_mode & 07777) : std::nullopt;
    }
    const mode_t mode = CopyMode(attributes.status, looked ? &copy : nullptr);
    if (created != mode) calls.FChmod(targetFd, mode);

    for (const auto& [name, value] : attributes.user)
        calls.FSetXattr(targetFd, name.c_str(), value.data(), value.size());  // best effort
    if (!attributes.acl.empty() &&
        calls.FSetXattr(targetFd, kAccessAcl, attributes.acl.data(), attributes.acl.size()) != 0) {
        // Without the ACL the group bits would give the owning group the
        // mask's rights: give it only what the ACL gave it.
        calls.FChmod(targetFd, (mode & ~static_cast<mode_t>(S_IRWXG)) | attributes.aclGroupBits);
    }

    const struct timespec times[2] = {attributes.status.st_atim, attributes.status.st_mtim};
    calls.FUtimens(targetFd, times);
}

}  // namespace mirado
