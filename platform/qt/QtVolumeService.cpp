#include "platform/qt/QtVolumeService.h"

#include <QByteArray>
#include <QFile>
#include <QStorageInfo>
#include <algorithm>
#include <system_error>

namespace trovik {
namespace {

// Kernel and service file systems that hold no user files.
constexpr std::string_view PseudoFileSystems[] = {
    "autofs",  "binfmt_misc", "bpf",      "cgroup",     "cgroup2",     "configfs",        "debugfs",
    "devpts",  "devtmpfs",    "efivarfs", "fusectl",    "hugetlbfs",   "mqueue",          "nsfs",
    "proc",    "pstore",      "ramfs",    "rpc_pipefs", "securityfs",  "selinuxfs",       "sysfs",
    "tracefs", "tmpfs",       "nfsd",     "fuse.lxcfs", "fuse.portal", "fuse.gvfsd-fuse",
};

}  // namespace

bool isUserVolume(std::string_view type, const std::filesystem::path& mountPoint) {
    if (mountPoint == "/") {
        return true;
    }
    if (std::ranges::find(PseudoFileSystems, type) != std::end(PseudoFileSystems)) {
        return false;
    }
    for (const char* system : {"/proc", "/sys", "/dev", "/snap"}) {
        if (isUnder(mountPoint, system)) {
            return false;
        }
    }
    return !isUnder(mountPoint, "/run") || isUnder(mountPoint, "/run/media");
}

std::vector<Volume> tidyVolumes(std::vector<Volume> volumes) {
    // Later mounts hide earlier ones at the same point: keep the last of each.
    std::reverse(volumes.begin(), volumes.end());
    std::stable_sort(volumes.begin(), volumes.end(),
                     [](const Volume& a, const Volume& b) { return a.root < b.root; });
    volumes.erase(std::unique(volumes.begin(), volumes.end(),
                              [](const Volume& a, const Volume& b) { return a.root == b.root; }),
                  volumes.end());
    addRootVolume(volumes, "/");
    return volumes;
}

std::vector<Volume> QtVolumeService::mountedVolumes() {
    std::vector<Volume> volumes;
    for (const QStorageInfo& storage : QStorageInfo::mountedVolumes()) {
#ifdef _WIN32
        const std::filesystem::path mountPoint(storage.rootPath().toStdWString());
#else
        const std::filesystem::path mountPoint(QFile::encodeName(storage.rootPath()).toStdString());
#endif
        std::error_code error;
        // Files bind-mounted into a container are mount points too; only folders can be browsed.
        if (!storage.isValid() || !std::filesystem::is_directory(mountPoint, error) ||
            !isUserVolume(storage.fileSystemType().toStdString(), mountPoint)) {
            continue;
        }
        volumes.push_back({mountPoint, storage.name().toStdString()});
    }
    return tidyVolumes(std::move(volumes));
}

}  // namespace trovik
