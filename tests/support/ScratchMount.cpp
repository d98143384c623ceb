#include "ScratchMount.h"

#include <sys/mount.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace mirado::test {

std::unique_ptr<ScratchMount> ScratchMount::Create(size_t bytes, std::string& whyNot) {
    std::unique_ptr<ScratchMount> mount(new ScratchMount);
    const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
    if (::mount("tmpfs", mount->Path().c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options.c_str()) != 0) {
        whyNot = std::string("mounting a tmpfs was refused: ") + std::strerror(errno);
        return nullptr;
    }
    mount->mounted_ = true;
    return mount;
}

std::unique_ptr<ScratchMount> ScratchMount::CreateExfatFuse(const std::string& options, std::string& whyNot) {
    std::unique_ptr<ScratchMount> mount(new ScratchMount);
    const std::filesystem::path image = mount->image_.Path() / "exfat.img";
    const auto quiet = [](const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()) == 0; };
    if (::access("/dev/fuse", R_OK | W_OK) != 0 || !quiet("command -v mount.exfat-fuse && command -v mkfs.exfat")) {
        whyNot = "no /dev/fuse, exfat-fuse or exfatprogs here";
        return nullptr;
    }
    if (!quiet("truncate -s 64M '" + image.string() + "' && mkfs.exfat '" + image.string() + "'")) {
        whyNot = "mkfs.exfat failed";
        return nullptr;
    }
    FILE* losetup = ::popen(("losetup --find --show '" + image.string() + "' 2>/dev/null").c_str(), "r");
    char device[64] = {};
    const bool attached = losetup != nullptr && std::fgets(device, sizeof device, losetup) != nullptr;
    if (losetup != nullptr) ::pclose(losetup);
    mount->loopDevice_ = std::string(device, std::strcspn(device, "\n"));
    if (!attached || mount->loopDevice_.empty()) {
        whyNot = "no loop device could be attached (a container without loop devices?)";
        return nullptr;
    }
    if (!quiet("mount.exfat-fuse -o '" + options + "' " + mount->loopDevice_ + " '" + mount->Path().string() + "'")) {
        whyNot = "mount.exfat-fuse failed";
        return nullptr;
    }
    mount->mounted_ = true;
    return mount;
}

bool ScratchMount::MakeReadOnly() {
    return ::mount("tmpfs", Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

ScratchMount::~ScratchMount() {
    if (!loopDevice_.empty()) {
        // The FUSE process lets the device go when its file system is unmounted.
        if (mounted_) std::system(("umount '" + Path().string() + "' >/dev/null 2>&1").c_str());
        std::system(("losetup -d " + loopDevice_ + " >/dev/null 2>&1").c_str());
        return;
    }
    if (mounted_) ::umount2(Path().c_str(), MNT_DETACH);
}

}  // namespace mirado::test
