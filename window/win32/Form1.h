#pragma once

#include <windows.h>
// The drop handle, declared by a header that needs windows.h before it.
#include <shellapi.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "platform/MessageBoxService.h"
#include "platform/VolumeService.h"
#include "platform/io/FileService.h"
#include "platform/win32/Win32Screen.h"
#include "window/core/NameList.h"
#include "window/core/StartFile.h"
#include "window/core/VolumeFolders.h"

namespace trovik {

// The interactive move that a press on the background hands the window to; it returns once the
// button is released.
class WindowMove {
public:
    virtual ~WindowMove() = default;
    virtual void run(HWND window) = 0;
};

// The system's own move: the window manager takes the press for one on a title bar.
class SystemWindowMove final : public WindowMove {
public:
    void run(HWND window) override;
};

// What the Win32 Form1 needs from the system, passed in so that tests can stand in for each
// service. The services must outlive the form.
struct Win32FormServices {
    MessageBoxService& messages;
    FileService& files;
    VolumeService& volumes;
    ScreenService& screens;
    WindowMove& move;
    std::function<void()> end;  // ends the program at once
    std::filesystem::path workingFolder;
};

// The main window on Windows: a popup without frame, the face picture, three lists and four
// windowless labels that the form paints and hit-tests itself.
class Form1 {
public:
    // Builds the window and its controls, hidden and centred on the primary monitor, with the
    // lists on the working folder.
    explicit Form1(Win32FormServices services);
    ~Form1();
    Form1(const Form1&) = delete;
    Form1& operator=(const Form1&) = delete;

    // The window; null when the system would not make it, for the reason `windowError` gives.
    [[nodiscard]] HWND hWnd() const { return m_window; }
    [[nodiscard]] std::error_code windowError() const { return m_windowError; }
    // Shows the window, with the drive list in focus.
    void show();

    // The controls that are windows, by the names the tool gives them.
    HWND Drive1 = nullptr;  // drop-down list of the drives
    HWND Dir1 = nullptr;    // the folder's ancestors and subfolders
    HWND File1 = nullptr;   // the folder's files

    // The labels' rectangles in client pixels; Label1 lies above Label2.
    RECT Label1{}, Label2{}, Label3{}, Label4{};

    // The handlers.
    void Form_Load();
    // Selects the file trovik was started with, when the file list shows it, and scans it as
    // "Scan File!" would; the lists are on its folder when the form was made on that folder.
    void scanStartFile(const StartFile& file);
    // Moves the lists to the file's folder, then selects and scans the file: a file dropped on the
    // window.
    void openFile(const StartFile& file);
    void Drive1_Change();
    void Dir1_Change();
    void Label1_Click();
    void Form_MouseDown(int Button, int Shift, POINT position);
    void Label3_MouseDown(int Button, int Shift, POINT position);
    void Label4_MouseDown(int Button, int Shift, POINT position);

    // The lists' folders.
    [[nodiscard]] const std::filesystem::path& dirPath() const { return m_dirPath; }
    [[nodiscard]] const std::filesystem::path& filePath() const { return m_filePath; }

    // Twips to this window's pixels.
    [[nodiscard]] int pixels(int twips) const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createFonts();
    void fillDrives();
    // Points a list at `folder`; false, with the critical box shown unless `quietly`, when it
    // cannot be read.
    bool setDirPath(const std::filesystem::path& folder, bool quietly = false);
    bool setFilePath(const std::filesystem::path& folder, bool quietly = false);
    // The lists on the working folder's volume's current folder, or where startFolders falls
    // back to, without a box.
    void showStartFolder();
    void showFolderFailure(const std::filesystem::path& folder, std::error_code error);
    void selectDriveOf(const std::filesystem::path& folder);
    void openSelectedFolder();
    // Highlights the folder the folder list is on.
    void markCurrentFolder();
    // The paths of a drop on the window: one file is opened, anything else passed over.
    void takeDrop(HDROP drop);
    void paint();
    void drawDirItem(const DRAWITEMSTRUCT& item);
    void mouseDown(int button, LPARAM lParam);
    void snapToScreenEdges();

    Win32FormServices m_services;
    VolumeFolders m_volumeFolders;
    HWND m_window = nullptr;
    std::error_code m_windowError;
    int m_dpi = 96;
    HFONT m_listFont = nullptr;
    HFONT m_captionFont = nullptr;
    HBITMAP m_face = nullptr;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    std::filesystem::path m_dirPath;
    std::filesystem::path m_filePath;
    NameList m_fileNames;  // File1's names, in its order
    struct DirEntry {
        std::filesystem::path folder;
        int depth = 0;
        bool open = false;  // an ancestor (or the folder itself), drawn as an open folder
    };
    std::vector<DirEntry> m_dirEntries;
    bool m_label1Pressed = false;
    HWND m_lastFocus = nullptr;
};

// The program's message loop, with the lists' tab order and keys; returns the exit status.
int runMessageLoop(const Form1& form);

}  // namespace trovik
