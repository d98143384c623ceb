#include "FaultMount.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace mirado::test {

std::unique_ptr<FaultMount> FaultMount::Create(const std::vector<std::string>& faults, std::string& whyNot) {
#ifndef MIRADO_FAULT_FS
    (void)faults;
    whyNot = "libfuse3 was not found when the tests were built (Debian: libfuse3-dev)";
    return nullptr;
#else
    if (::access("/dev/fuse", R_OK | W_OK) != 0) {
        whyNot = "/dev/fuse is missing or not usable here (FUSE needs the fuse module, and a container needs the device)";
        return nullptr;
    }
    if (::geteuid() != 0 && ::access("/usr/bin/fusermount3", X_OK) != 0) {
        whyNot = "mounting FUSE without root needs fusermount3 (Debian: fuse3)";
        return nullptr;
    }
    std::unique_ptr<FaultMount> mount(new FaultMount);
    mount->backing_ = mount->folder_.Path() / "backing";
    mount->mountPoint_ = mount->folder_.Path() / "mount";
    std::filesystem::create_directory(mount->backing_);
    std::filesystem::create_directory(mount->mountPoint_);

    // The file system counts the requests it answers in a page that both map.
    const std::filesystem::path count = mount->folder_.Path() / "requests";
    const int countFd = ::open(count.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (countFd < 0 || ::ftruncate(countFd, sizeof(std::uint64_t)) != 0) {
        whyNot = "cannot make the request count file " + count.string();
        return nullptr;
    }
    void* page = ::mmap(nullptr, sizeof(std::uint64_t), PROT_READ | PROT_WRITE, MAP_SHARED, countFd, 0);
    ::close(countFd);
    if (page == MAP_FAILED) {
        whyNot = "cannot map the request count file";
        return nullptr;
    }
    mount->requests_ = static_cast<std::atomic<std::uint64_t>*>(page);

    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        whyNot = "no pipe";
        return nullptr;
    }
    std::vector<std::string> words = {MIRADO_FAULT_FS, mount->backing_.string(), mount->mountPoint_.string(),
                                      std::to_string(ready[1]), "count=" + count.string()};
    words.insert(words.end(), faults.begin(), faults.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const pid_t parent = ::getpid();
    const pid_t child = ::fork();
    if (child == 0) {
        // It ends with the test, also when the test crashes; a lost mount
        // goes with it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent) ::_exit(1);
        ::fcntl(ready[1], F_SETFD, 0);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::close(ready[1]);
    char byte = 0;
    ssize_t got;
    do got = ::read(ready[0], &byte, 1);
    while (got < 0 && errno == EINTR);
    ::close(ready[0]);
    if (child < 0 || got != 1) {
        if (child > 0) ::waitpid(child, nullptr, 0);
        whyNot = "the FUSE mount was refused (the file system's own message, if any, is above)";
        return nullptr;
    }
    mount->process_ = child;
    return mount;
#endif
}

FaultMount::~FaultMount() {
    if (requests_ != nullptr) ::munmap(requests_, sizeof(std::uint64_t));
    if (process_ < 0) return;
    if (::umount2(mountPoint_.c_str(), MNT_DETACH) != 0) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl("/usr/bin/fusermount3", "fusermount3", "-u", "-z", mountPoint_.c_str(), static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (child > 0) ::waitpid(child, nullptr, 0);
    }
    ::kill(process_, SIGTERM);
    ::waitpid(process_, nullptr, 0);
}

}  // namespace mirado::test
