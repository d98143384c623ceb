// A FUSE file system for the tests that passes what a copy does (files,
// folders, names and links) through to a backing folder and fails chosen
// calls as other disks do:
//   mirado_fault_fs BACKING MOUNTPOINT READY_FD [FAULT...]
// FAULT is one of
//   no-noreplace   renameat2(RENAME_NOREPLACE) fails with EINVAL (FUSE exFAT, vfat)
//   no-links       link fails with EPERM
//   fat-names      names with " * : < > ? \ | are refused with EINVAL
//   flush=ERRNO    closing a written file fails (a network share's full disk)
//   fsync=ERRNO    fsync fails
//   cut=BYTES      a written file is cut to BYTES when it is closed
// and, to play a share across a network (for the benchmarks),
//   delay=MICROS   every request is answered after MICROS µs
//   cached         the kernel keeps names and attributes for libfuse's
//                  default second instead of asking every time
//   count=PATH     the number of requests answered is kept, as a 64-bit
//                  counter, in the file PATH (made by the caller, mapped)
// Unnamed files (O_TMPFILE) and copy_file_range are never offered, so data
// always passes through here. Requests are served by several threads, as a
// share's server would. Once mounted it writes one byte to READY_FD; it ends
// when the mount goes or on SIGTERM.
#define FUSE_USE_VERSION 31
#include <fuse3/fuse.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/mman.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <set>
#include <string>
#include <thread>

namespace {

struct Faults {
    bool noNoReplace = false;
    bool noLinks = false;
    bool fatNames = false;
    int flush = 0;
    int fsync = 0;
    long long cut = -1;
    long long delayMicros = 0;
    bool cached = false;
    std::string countPath;
} faults;

int base = -1;  // the backing folder
std::mutex writtenMutex;
std::set<uint64_t> written;  // open files that were written to
std::atomic<std::uint64_t>* answered = nullptr;  // in the count file, when asked for

// Every request passes here before it is served.
template <auto Op, typename... Args>
int Served(Args... args) {
    if (answered != nullptr) answered->fetch_add(1, std::memory_order_relaxed);
    if (faults.delayMicros > 0) std::this_thread::sleep_for(std::chrono::microseconds(faults.delayMicros));
    return Op(args...);
}

// The path below the backing folder: "." for the root.
std::string Rel(const char* path) { return path[1] == '\0' ? std::string(".") : std::string(path + 1); }

int Result(int value) { return value < 0 ? -errno : value; }

bool Refused(const char* path) {
    if (!faults.fatNames) return false;
    const char* name = std::strrchr(path, '/');
    return std::strpbrk(name ? name + 1 : path, "\"*:<>?\\|") != nullptr;
}

int GetAttr(const char* path, struct stat* info, fuse_file_info* fi) {
    if (fi != nullptr) return Result(::fstat(static_cast<int>(fi->fh), info));
    return Result(::fstatat(base, Rel(path).c_str(), info, AT_SYMLINK_NOFOLLOW));
}

int MkDir(const char* path, mode_t mode) {
    return Refused(path) ? -EINVAL : Result(::mkdirat(base, Rel(path).c_str(), mode));
}

int Unlink(const char* path) { return Result(::unlinkat(base, Rel(path).c_str(), 0)); }

int Rename(const char* from, const char* to, unsigned int flags) {
    if (Refused(to)) return -EINVAL;
    if (flags != 0 && faults.noNoReplace) return -EINVAL;
    return Result(::renameat2(base, Rel(from).c_str(), base, Rel(to).c_str(), flags));
}

int Link(const char* from, const char* to) {
    if (faults.noLinks) return -EPERM;
    return Refused(to) ? -EINVAL : Result(::linkat(base, Rel(from).c_str(), base, Rel(to).c_str(), 0));
}

// fchmod and futimens reach a FUSE file system by path.
int ChMod(const char* path, mode_t mode, fuse_file_info*) {
    return Result(::fchmodat(base, Rel(path).c_str(), mode, 0));
}

int UTimens(const char* path, const struct timespec times[2], fuse_file_info*) {
    return Result(::utimensat(base, Rel(path).c_str(), times, AT_SYMLINK_NOFOLLOW));
}

int Open(const char* path, fuse_file_info* fi) {
    const int fd = ::openat(base, Rel(path).c_str(), fi->flags & ~O_NOFOLLOW);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int Create(const char* path, mode_t mode, fuse_file_info* fi) {
    if (Refused(path)) return -EINVAL;
    const int fd = ::openat(base, Rel(path).c_str(), fi->flags, mode);
    if (fd < 0) return -errno;
    fi->fh = static_cast<uint64_t>(fd);
    return 0;
}

int Read(const char*, char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    return Result(static_cast<int>(::pread(static_cast<int>(fi->fh), buffer, size, offset)));
}

int Write(const char*, const char* buffer, size_t size, off_t offset, fuse_file_info* fi) {
    {
        const std::lock_guard lock(writtenMutex);
        written.insert(fi->fh);
    }
    return Result(static_cast<int>(::pwrite(static_cast<int>(fi->fh), buffer, size, offset)));
}

int StatFs(const char*, struct statvfs* info) { return Result(::fstatvfs(base, info)); }

int Flush(const char*, fuse_file_info* fi) {
    {
        const std::lock_guard lock(writtenMutex);
        if (written.count(fi->fh) == 0) return 0;
    }
    if (faults.cut >= 0) ::ftruncate(static_cast<int>(fi->fh), faults.cut);
    return -faults.flush;
}

int Release(const char*, fuse_file_info* fi) {
    {
        const std::lock_guard lock(writtenMutex);
        written.erase(fi->fh);
    }
    return Result(::close(static_cast<int>(fi->fh)));
}

int FSync(const char*, int dataOnly, fuse_file_info* fi) {
    if (faults.fsync != 0) return -faults.fsync;
    const int fd = static_cast<int>(fi->fh);
    return Result(dataOnly ? ::fdatasync(fd) : ::fsync(fd));
}

int ReadDir(const char* path, void* buffer, fuse_fill_dir_t fill, off_t, fuse_file_info*, fuse_readdir_flags) {
    const int fd = ::openat(base, Rel(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -errno;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return -ENOMEM;
    }
    while (const struct dirent* entry = ::readdir(dir)) {
        struct stat info {};
        info.st_ino = entry->d_ino;
        info.st_mode = static_cast<mode_t>(DTTOIF(entry->d_type));
        if (fill(buffer, entry->d_name, &info, 0, static_cast<fuse_fill_dir_flags>(0)) != 0) break;
    }
    ::closedir(dir);
    return 0;
}

int OpenDir(const char*, fuse_file_info*) { return 0; }
int ReleaseDir(const char*, fuse_file_info*) { return 0; }

void* Init(fuse_conn_info*, fuse_config* config) {
    config->use_ino = 1;  // the backing files' inode numbers, as a disk would give
    if (!faults.cached) {
        // The tests change the backing folder behind the kernel's back.
        config->attr_timeout = 0;
        config->entry_timeout = 0;
        config->negative_timeout = 0;
    }
    return nullptr;
}

// Maps the caller's count file, so that the caller reads the count as it goes.
bool MapCount() {
    if (faults.countPath.empty()) return true;
    const int fd = ::open(faults.countPath.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0 || ::ftruncate(fd, sizeof(std::uint64_t)) != 0) return false;
    void* page = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
    ::close(fd);
    if (page == MAP_FAILED) return false;
    answered = static_cast<std::atomic<std::uint64_t>*>(page);
    return true;
}

bool ParseFault(const char* fault) {
    const std::string text(fault);
    const auto number = [&](std::size_t at) { return std::strtoll(text.c_str() + at, nullptr, 10); };
    if (text == "no-noreplace") faults.noNoReplace = true;
    else if (text == "no-links") faults.noLinks = true;
    else if (text == "fat-names") faults.fatNames = true;
    else if (text.rfind("flush=", 0) == 0) faults.flush = static_cast<int>(number(6));
    else if (text.rfind("fsync=", 0) == 0) faults.fsync = static_cast<int>(number(6));
    else if (text.rfind("cut=", 0) == 0) faults.cut = number(4);
    else if (text.rfind("delay=", 0) == 0) faults.delayMicros = number(6);
    else if (text == "cached") faults.cached = true;
    else if (text.rfind("count=", 0) == 0) faults.countPath = text.substr(6);
    else return false;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s BACKING MOUNTPOINT READY_FD [FAULT...]\n", argv[0]);
        return 2;
    }
    for (int i = 4; i < argc; ++i) {
        if (!ParseFault(argv[i])) {
            std::fprintf(stderr, "%s: unknown fault %s\n", argv[0], argv[i]);
            return 2;
        }
    }
    base = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (base < 0) {
        std::perror(argv[1]);
        return 1;
    }
    if (!MapCount()) {
        std::perror(faults.countPath.c_str());
        return 1;
    }
    const int ready = std::atoi(argv[3]);
    ::umask(0);  // the kernel applied the caller's umask already

    fuse_operations ops {};
    ops.getattr = Served<GetAttr>;
    ops.mkdir = Served<MkDir>;
    ops.unlink = Served<Unlink>;
    ops.rename = Served<Rename>;
    ops.link = Served<Link>;
    ops.chmod = Served<ChMod>;
    ops.open = Served<Open>;
    ops.read = Served<Read>;
    ops.write = Served<Write>;
    ops.statfs = Served<StatFs>;
    ops.flush = Served<Flush>;
    ops.release = Served<Release>;
    ops.fsync = Served<FSync>;
    ops.opendir = Served<OpenDir>;
    ops.readdir = Served<ReadDir>;
    ops.releasedir = Served<ReleaseDir>;
    ops.init = Init;
    ops.create = Served<Create>;
    ops.utimens = Served<UTimens>;

    char* fuseArgv[] = {argv[0], nullptr};
    fuse_args args = FUSE_ARGS_INIT(1, fuseArgv);
    fuse* fs = fuse_new(&args, &ops, sizeof ops, nullptr);
    if (fs == nullptr) return 1;
    if (fuse_mount(fs, argv[2]) != 0) {
        fuse_destroy(fs);
        return 1;
    }
    fuse_set_signal_handlers(fuse_get_session(fs));
    (void)::write(ready, "1", 1);
    ::close(ready);
    const int result = fuse_loop_mt(fs, 0);
    fuse_remove_signal_handlers(fuse_get_session(fs));
    fuse_unmount(fs);
    fuse_destroy(fs);
    return result == 0 ? 0 : 1;
}
