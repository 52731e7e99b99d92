#include "window/VolumeFolders.h"

#include <algorithm>
#include <cassert>
#include <system_error>

namespace trovik {
namespace {

bool holds(const std::filesystem::path& root, const std::filesystem::path& folder) {
    const auto [end, ignored] =
        std::mismatch(root.begin(), root.end(), folder.begin(), folder.end());
    return end == root.end();
}

}  // namespace

std::filesystem::path tidyFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(folder, error);
    if (error) {
        absolute = folder;
    }
    absolute = absolute.lexically_normal();
    if (!absolute.has_filename() && absolute.has_relative_path()) {
        absolute = absolute.parent_path();  // "/home/user/" -> "/home/user"
    }
    return absolute;
}

VolumeFolders::VolumeFolders(std::vector<Volume> volumes,
                             const std::filesystem::path& workingFolder)
    : m_volumes(std::move(volumes)) {
    for (Volume& volume : m_volumes) {
        volume.root = tidyFolder(volume.root);
    }
    const bool hasRoot = std::ranges::any_of(
        m_volumes, [](const Volume& volume) { return volume.root == volume.root.root_path(); });
    if (!hasRoot) {
        m_volumes.insert(m_volumes.begin(), Volume{tidyFolder("/").root_path(), {}});
    }
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
        if (holds(root, tidy) && depth >= bestDepth) {
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

}  // namespace trovik
