#include "window/core/VolumeFolders.h"

#include <cassert>
#include <iterator>

#include "window/core/FolderListing.h"

namespace trovik {

VolumeFolders::VolumeFolders(std::vector<Volume> volumes,
                             const std::filesystem::path& workingFolder)
    : m_volumes(std::move(volumes)) {
    for (Volume& volume : m_volumes) {
        volume.root = tidyFolder(volume.root);
    }
    addRootVolume(m_volumes, tidyFolder("/").root_path());
    m_current.reserve(m_volumes.size());
    for (const Volume& volume : m_volumes) {
        m_current.push_back(volume.root);
    }
    if (!workingFolder.empty()) {
        remember(workingFolder);
    }
}

std::size_t VolumeFolders::volumeOf(const std::filesystem::path& folder) const {
    const std::filesystem::path tidy = tidyFolder(folder);
    std::size_t best = 0;
    std::size_t bestDepth = 0;
    for (std::size_t i = 0; i < m_volumes.size(); ++i) {
        const auto& root = m_volumes[i].root;
        const auto depth = static_cast<std::size_t>(std::distance(root.begin(), root.end()));
        if (isUnder(tidy, root) && depth >= bestDepth) {
            best = i;
            bestDepth = depth;
        }
    }
    return best;
}

const std::filesystem::path& VolumeFolders::currentFolder(std::size_t volume) const {
    assert(volume < m_current.size());
    return m_current[volume];
}

void VolumeFolders::remember(const std::filesystem::path& folder) {
    m_current[volumeOf(folder)] = tidyFolder(folder);
}

std::vector<std::filesystem::path> VolumeFolders::startFolders(
    const std::filesystem::path& start) const {
    return {start, m_volumes[volumeOf(start)].root, start.root_path()};
}

}  // namespace trovik
