#include "ScratchMount.h"

#include <sys/mount.h>

#include <cerrno>
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

bool ScratchMount::MakeReadOnly() {
    return ::mount("tmpfs", Path().c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
}

ScratchMount::~ScratchMount() {
    if (mounted_) ::umount2(Path().c_str(), MNT_DETACH);
}

}  // namespace mirado::test
