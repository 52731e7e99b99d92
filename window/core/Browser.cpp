#include "window/core/Browser.h"

#include <cassert>

namespace trovik {

std::filesystem::path FolderRow::name() const {
    return folder == folder.root_path() ? folder : folder.filename();
}

std::vector<FolderRow> folderRows(const std::filesystem::path& folder, const NameList& subfolders) {
    std::vector<FolderRow> rows;
    std::filesystem::path ancestor;
    int level = 0;
    for (const auto& step : folder) {
        ancestor /= step;
        if (step.empty() || (folder.has_root_name() && step == folder.root_name())) {
            continue;  // a separator at the end; a drive, which is one row with its root
        }
        rows.push_back({ancestor, level++, true});
    }
    rows.reserve(rows.size() + subfolders.size());
    for (std::size_t i = 0; i < subfolders.size(); ++i) {
        rows.push_back({folder / subfolders.view(i), level, false});
    }
    return rows;
}

Browser::Browser(std::vector<Volume> volumes, std::filesystem::path workingFolder,
                 FolderLister& lister, MessageBoxService& messages)
    : m_volumes(std::move(volumes), workingFolder),
      m_workingFolder(std::move(workingFolder)),
      m_lister(lister),
      m_messages(messages) {}

void Browser::start(BrowserView& view) {
    m_view = &view;
    const std::filesystem::path start =
        tidyFolder(m_workingFolder.empty() ? std::filesystem::path("/") : m_workingFolder);
    for (const auto& folder : m_volumes.startFolders(start)) {
        if (!listFolders(folder) && !listFiles(m_dirPath)) {
            break;
        }
    }
    showDrive();
}

FileSelection Browser::selection() const {
    return label1Selection(m_filePath, *m_files, m_selected);
}

void Browser::Drive1_Change(std::size_t volume) {
    assert(volume < volumes().size());
    const std::filesystem::path current = m_volumes.currentFolder(volume);
    const std::filesystem::path& root = volumes()[volume].root;
    const auto failure = setDirPath(current);
    if (failure && current != root && !setDirPath(root)) {
        return;  // its folder has gone since: entered at its root
    }
    recover(failure);
}

void Browser::Dir1_Change() {
    recover(listFiles(m_dirPath));
}

void Browser::openRow(std::size_t row) {
    if (row < m_rows.size()) {
        recover(setDirPath(m_rows[row].folder));
    }
}

void Browser::selectFile(std::int64_t index) {
    m_selected = index < 0 || static_cast<std::uint64_t>(index) >= m_files->size() ? -1 : index;
}

FileSelection Browser::selectStartFile(const StartFile& file) {
    const StartFile tidy{tidyFolder(file.folder), file.name};
    if (m_filePath == tidy.folder && !tidy.name.empty()) {
        if (const std::int64_t index = indexOfName(*m_files, tidy.name); index >= 0) {
            m_selected = index;
            m_view->showSelection(index);
        }
    }
    return startSelection(tidy, m_filePath, *m_files);
}

FileSelection Browser::openFile(const StartFile& file) {
    if (tidyFolder(file.folder) != m_dirPath) {
        recover(setDirPath(file.folder));
    }
    return selectStartFile(file);
}

std::optional<FolderError> Browser::listFolders(const std::filesystem::path& folder) {
    const std::filesystem::path tidy = tidyFolder(folder);
    auto subfolders = m_lister.list(tidy, EntryKind::Folder);
    if (!subfolders) {
        return FolderError{tidy, subfolders.error()};
    }
    m_rows = folderRows(tidy, subfolders.value());
    m_dirPath = tidy;
    m_volumes.remember(tidy);
    m_view->showFolders(m_rows, currentRow());
    showDrive();
    return std::nullopt;
}

std::optional<FolderError> Browser::listFiles(const std::filesystem::path& folder) {
    const std::filesystem::path tidy = tidyFolder(folder);
    auto names = m_lister.list(tidy, EntryKind::File);
    if (!names) {
        return FolderError{tidy, names.error()};
    }
    m_files = std::make_shared<const NameList>(std::move(names).value());
    m_filePath = tidy;
    m_selected = -1;
    m_view->showFiles(m_files);
    return std::nullopt;
}

std::optional<FolderError> Browser::setDirPath(const std::filesystem::path& folder) {
    const std::filesystem::path before = m_dirPath;
    if (auto failure = listFolders(folder)) {
        return failure;
    }
    if (m_dirPath != before) {
        Dir1_Change();
    }
    return std::nullopt;
}

void Browser::recover(const std::optional<FolderError>& failure) {
    if (!failure) {
        return;
    }
    if (!m_filePath.empty() && m_dirPath != m_filePath) {
        // Where even the file list's folder is gone, the folder list stays where it is.
        (void)listFolders(m_filePath);
    }
    m_view->markFolder(currentRow());
    showDrive();
    m_messages.show(folderErrorText(*failure), MessageIcon::Critical);
}

void Browser::showDrive() {
    m_drive = m_volumes.volumeOf(m_dirPath);
    m_view->showDrive(m_drive);
}

std::size_t Browser::currentRow() const {
    // The folder is the last of the open rows, after its ancestors.
    std::size_t current = 0;
    while (current + 1 < m_rows.size() && m_rows[current + 1].open) {
        ++current;
    }
    return current;
}

}  // namespace trovik
