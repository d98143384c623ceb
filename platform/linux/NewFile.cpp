#include "NewFile.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <optional>
#include <sstream>

#include "NameClaim.h"
#include "PathText.h"
#include "SystemCalls.h"
#include "Utf.h"

namespace mirado {
namespace {

// errno values of linkat that mean "an unnamed file cannot be linked in
// this way here", as opposed to a real failure such as a full disk.
bool LinkNotOffered(int error) {
    return error == ENOENT || error == EPERM || error == EACCES || error == EOPNOTSUPP || error == EINVAL ||
           error == EXDEV;
}

// A small file of /proc; empty, with errno set, when it cannot be read.
std::string ReadProcFile(SystemCalls& calls, const std::string& path) {
    const int fd = calls.Open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC, 0);
    if (fd < 0) return {};
    char buffer[1024];
    const ssize_t got = calls.PRead(fd, buffer, sizeof buffer, 0);
    const int error = got > 0 ? 0 : (got == 0 ? ENOENT : errno);
    calls.Close(fd);
    errno = error;
    return got > 0 ? std::string(buffer, static_cast<std::size_t>(got)) : std::string();
}

// The start of process pid, hashed with bootId; 0 when no such process
// runs any more; nothing when /proc cannot tell.
std::optional<std::uint64_t> StartOf(SystemCalls& calls, const std::string& bootId, std::uint64_t pid) {
    const std::string stat = ReadProcFile(calls, "/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty()) return errno == ENOENT || errno == ESRCH ? std::optional<std::uint64_t>(0) : std::nullopt;
    // "pid (name) state ppid ...": the name may hold anything, ")" too; the
    // start time in clock ticks since boot is the 22nd field.
    const std::size_t nameEnd = stat.rfind(')');
    if (nameEnd == std::string::npos) return std::nullopt;
    std::istringstream fields(stat.substr(nameEnd + 1));
    std::string field;
    fields >> field;
    if (field == "Z" || field == "X") return 0;  // ended, not yet reaped
    for (int number = 4; number <= 22; ++number) fields >> field;
    if (!fields) return std::nullopt;
    return HashOfText(bootId + " " + field);
}

struct Self {
    TemporaryOwner owner;
    std::string bootId;
};

// Facts of the process, read with the real calls.
Self ReadSelf() {
    SystemCalls& calls = SystemCalls::Real();
    Self made;
    std::string host = ReadProcFile(calls, "/proc/sys/kernel/hostname");
    made.bootId = ReadProcFile(calls, "/proc/sys/kernel/random/boot_id");
    while (!host.empty() && host.back() == '\n') host.pop_back();
    while (!made.bootId.empty() && made.bootId.back() == '\n') made.bootId.pop_back();
    made.owner = {HashOfText(host), static_cast<std::uint64_t>(::getpid()), 0};
    if (!made.bootId.empty()) made.owner.start = StartOf(calls, made.bootId, made.owner.process).value_or(0);
    return made;
}

std::atomic<bool> forked{false};

// Read once, and again in a child process: a child writing under its
// parent's name would have its files taken for the parent's, and kept.
const Self& SelfOnce() {
    static Self self = [] {
        ::pthread_atfork(nullptr, nullptr, [] { forked.store(true, std::memory_order_relaxed); });
        return ReadSelf();
    }();
    if (forked.load(std::memory_order_relaxed) && forked.exchange(false)) self = ReadSelf();
    return self;
}

}  // namespace

const TemporaryOwner& ThisProcess() { return SelfOnce().owner; }

bool HasEnded(SystemCalls& calls, const TemporaryOwner& owner) {
    const std::optional<std::uint64_t> start = StartOf(calls, SelfOnce().bootId, owner.process);
    return start && *start != owner.start;
}

NewFile::~NewFile() {
    if (fd_ >= 0) calls_.Close(fd_);
    if (!committed_ && !temporaryName_.empty()) calls_.UnlinkAt(folderFd_, temporaryName_.c_str(), 0);
}

int NewFile::Create(bool allowUnnamed, mode_t mode) {
    if (allowUnnamed && fs_.unnamedFiles) {
        requestedMode_ = mode & 0777;
        fd_ = calls_.OpenAt(folderFd_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, requestedMode_);
        if (fd_ >= 0) return 0;
        if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) return errno;
        fs_.unnamedFiles = false;
    }
    requestedMode_ = 0600;
    for (int attempt = 0; attempt < 100; ++attempt) {
        const std::string name = ToUtf8(TemporaryCopyName(ThisProcess()));
        fd_ = calls_.OpenAt(folderFd_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC,
                            requestedMode_);
        if (fd_ >= 0) {
            temporaryName_ = name;
            return 0;
        }
        if (errno != EEXIST) return errno;
    }
    return EEXIST;
}

int NewFile::CreateNamed(const std::string& name, mode_t mode) {
    requestedMode_ = mode & 0755;
    fd_ = calls_.OpenAt(folderFd_, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_NOFOLLOW | O_CLOEXEC, requestedMode_);
    if (fd_ < 0) return errno;
    named_ = true;
    return 0;
}

int NewFile::CloseFd() {
    const int fd = fd_;
    fd_ = -1;
    return calls_.Close(fd) == 0 ? 0 : errno;
}

int NewFile::Finish(off_t size) {
    if (fs_.defersErrors) {
        if (calls_.FSync(fd_) != 0) return errno;
        struct stat info {};
        if (calls_.FStat(fd_, &info) != 0) return errno;
        if (info.st_size != size) return EIO;
    }
    return temporaryName_.empty() ? 0 : CloseFd();
}

int NewFile::Commit(const std::string& name) {
    if (committed_) return 0;
    const int result = named_ ? 0 : temporaryName_.empty() ? CommitUnnamed(name) : CommitTemporary(name);
    if (result != 0) return result;
    committed_ = true;
    if (fd_ < 0) return 0;
    // Named while open: a close that fails (a network share that reports
    // a full disk only now) takes the name away again, if it is still ours.
    struct stat mine {};
    const bool known = calls_.FStat(fd_, &mine) == 0;
    closeError_ = CloseFd();
    if (closeError_ == 0) return 0;
    struct stat now {};
    if (known && calls_.FStatAt(folderFd_, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 && now.st_dev == mine.st_dev &&
        now.st_ino == mine.st_ino)
        calls_.UnlinkAt(folderFd_, name.c_str(), 0);
    return kCloseFailed;
}

int NewFile::CommitUnnamed(const std::string& name) {
    // linkat never replaces a file. Without the privilege for AT_EMPTY_PATH
    // (before Linux 6.10), the link goes through /proc.
    if (calls_.LinkAt(fd_, "", folderFd_, name.c_str(), AT_EMPTY_PATH) == 0) return 0;
    if (errno == EEXIST || !LinkNotOffered(errno)) return errno;
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (calls_.LinkAt(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return 0;
    if (errno == EEXIST || !LinkNotOffered(errno)) return errno;
    return kCannotLinkUnnamed;
}

int NewFile::CommitTemporary(const std::string& name) {
    // What the file system offers is asked once, so that EINVAL here says
    // only that it refuses the name.
    if (!fs_.namingProbed) {
        if (const int error = ProbeNaming(calls_, folderFd_, fs_)) return error;
    }
    if (fs_.renameNoReplace) return calls_.RenameNoReplace(folderFd_, temporaryName_.c_str(), name.c_str()) == 0 ? 0 : errno;
    if (fs_.links) {
        // A second link takes the name (NFS), and the temporary one goes.
        if (calls_.LinkAt(folderFd_, temporaryName_.c_str(), folderFd_, name.c_str(), 0) != 0) return errno;
        calls_.UnlinkAt(folderFd_, temporaryName_.c_str(), 0);
        temporaryName_.clear();
        return 0;
    }
    return ClaimAndRename(calls_, folderFd_, temporaryName_, name);
}

}  // namespace mirado
