#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

#include "platform/MessageBoxService.h"
#include "platform/VolumeService.h"
#include "platform/io/Result.h"
#include "scan/ScanCommand.h"
#include "window/core/FolderListing.h"
#include "window/core/NameList.h"
#include "window/core/StartFile.h"
#include "window/core/VolumeFolders.h"

namespace trovik {

// Lists the entries of one kind in a folder, sorted for display (NameList::sortForDisplay), and
// leaves out what the platform counts as hidden. Each window provides one.
class FolderLister {
public:
    virtual ~FolderLister() = default;
    virtual Result<NameList> list(const std::filesystem::path& folder, EntryKind kind) = 0;
};

// One row of the folder list: an ancestor of the folder (or the folder itself), open, or one of
// its subfolders, closed; `level` is how far the row is indented.
struct FolderRow {
    std::filesystem::path folder;
    int level = 0;
    bool open = false;

    // What the row shows: a root as its whole path, any other folder by its own name.
    [[nodiscard]] std::filesystem::path name() const;

    friend bool operator==(const FolderRow&, const FolderRow&) = default;
};

// The rows the folder list shows for `folder`: its ancestors from the root down, the folder, then
// its subfolders. A root with a drive ("C:" and "\") is one row.
std::vector<FolderRow> folderRows(const std::filesystem::path& folder, const NameList& subfolders);

// What a window shows of the browser. Each call says what changed; none raises a change back.
class BrowserView {
public:
    virtual ~BrowserView() = default;
    // The drive list shows the volume with this index.
    virtual void showDrive(std::size_t volume) = 0;
    // The folder list shows these rows, with the folder's own row (`current`) highlighted.
    virtual void showFolders(const std::vector<FolderRow>& rows, std::size_t current) = 0;
    // The highlight goes back to the folder's own row, after an open that failed.
    virtual void markFolder(std::size_t current) = 0;
    // The file list shows these names, none selected. The browser keeps them too: they are shared,
    // not copied, however many a folder holds.
    virtual void showFiles(std::shared_ptr<const NameList> names) = 0;
    // The file list's selection, made by the browser (a start file): the entry at `index`.
    virtual void showSelection(std::int64_t index) = 0;
};

// The three lists' chain as the user browses it: the drive list chooses a volume, the folder list
// walks its folders, the file list shows the folder list's folder, and its selection is what
// "Scan File!" scans. Each change is raised only when the value differs, and every failure is
// recovered from here, the same way for every window:
// - the start folder that cannot be listed falls back quietly to its volume's root, then the root
//   (no box may come before the greeting);
// - a chosen volume whose current folder has gone is entered at its root;
// - any other folder that cannot be listed gets the critical box, and the lists, the drive and the
//   highlight stay where they were.
class Browser {
public:
    // The listing service and the boxes must outlive the browser. Nothing is listed until `start`.
    Browser(std::vector<Volume> volumes, std::filesystem::path workingFolder, FolderLister& lister,
            MessageBoxService& messages);

    // Shows its lists through `view`, which must outlive the browser, starting on the working
    // folder (the root when there is none).
    void start(BrowserView& view);

    [[nodiscard]] const std::vector<Volume>& volumes() const { return m_volumes.volumes(); }
    // The index of the volume the drive list shows.
    [[nodiscard]] std::size_t drive() const { return m_drive; }
    [[nodiscard]] const std::filesystem::path& dirPath() const { return m_dirPath; }
    [[nodiscard]] const std::vector<FolderRow>& rows() const { return m_rows; }
    [[nodiscard]] const std::filesystem::path& filePath() const { return m_filePath; }
    [[nodiscard]] const NameList& fileNames() const { return *m_files; }
    // What a click on "Scan File!" hands ScanCommand.
    [[nodiscard]] FileSelection selection() const;

    // The user chose the volume with this index in the drive list.
    void Drive1_Change(std::size_t volume);
    // The folder list's folder changed: the file list follows it.
    void Dir1_Change();
    // The user opened the folder list's row with this index (a double click, Enter).
    void openRow(std::size_t row);
    // The user selected the file list's entry at `index`; negative: none.
    void selectFile(std::int64_t index);
    // Selects the start file's entry when the file list shows its folder, and returns what its
    // scan hands ScanCommand, as if the entry had been chosen and "Scan File!" clicked.
    FileSelection selectStartFile(const StartFile& file);
    // Moves the lists to the file's folder, then as selectStartFile: a file dropped on the window.
    FileSelection openFile(const StartFile& file);

private:
    // Lists `folder` in the folder list without raising its change; the failure when it cannot be.
    std::optional<FolderError> listFolders(const std::filesystem::path& folder);
    std::optional<FolderError> listFiles(const std::filesystem::path& folder);
    // Sets the folder list's folder, raising Dir1_Change when it differs from the one before.
    std::optional<FolderError> setDirPath(const std::filesystem::path& folder);
    // Puts the lists back in step after a failure and shows its box: the folder list on the file
    // list's folder and highlighted, the drive list on its volume.
    void recover(const std::optional<FolderError>& failure);
    void showDrive();
    [[nodiscard]] std::size_t currentRow() const;

    VolumeFolders m_volumes;
    std::filesystem::path m_workingFolder;
    FolderLister& m_lister;
    MessageBoxService& m_messages;
    BrowserView* m_view = nullptr;
    std::size_t m_drive = 0;
    std::filesystem::path m_dirPath;
    std::vector<FolderRow> m_rows;
    std::filesystem::path m_filePath;
    std::shared_ptr<const NameList> m_files = std::make_shared<const NameList>();
    std::int64_t m_selected = -1;
};

}  // namespace trovik
