#pragma once

#include <windows.h>
// The drop handle, declared by a header that needs windows.h before it.
#include <shellapi.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <system_error>
#include <vector>

#include "platform/MessageBoxService.h"
#include "platform/VolumeService.h"
#include "platform/io/FileService.h"
#include "platform/win32/Win32Screen.h"
#include "window/core/Browser.h"
#include "window/core/StartFile.h"
#include "window/win32/FolderContents.h"

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
// windowless labels that the form paints and hit-tests itself. The lists show the browser, and
// their events go to it.
class Form1 : private BrowserView {
public:
    // Builds the window and its controls, hidden and centred on the primary monitor, with the
    // lists on the working folder.
    explicit Form1(Win32FormServices services);
    ~Form1() override;
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
    // Re-reads the folder list's folder into the file list, as its change does.
    void Dir1_Change();
    void Label1_Click();
    void Form_MouseDown(int Button, int Shift, POINT position);
    void Label3_MouseDown(int Button, int Shift, POINT position);
    void Label4_MouseDown(int Button, int Shift, POINT position);

    // Twips to this window's pixels.
    [[nodiscard]] int pixels(int twips) const;

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);

    void createControls();
    void createFonts();
    void fillDrives();
    // The browser's lists, shown in the controls.
    void showDrive(std::size_t volume) override;
    void showFolders(const std::vector<FolderRow>& rows, std::size_t current) override;
    void markFolder(std::size_t current) override;
    void showFiles(std::shared_ptr<const NameList> shared) override;
    void showSelection(std::int64_t index) override;
    // Opens the folder list's highlighted row: a double click, Enter.
    void openSelectedFolder();
    // The paths of a drop on the window: one file is opened, anything else passed over.
    void takeDrop(HDROP drop);
    void paint();
    void drawDirItem(const DRAWITEMSTRUCT& item);
    void mouseDown(int button, LPARAM lParam);
    void snapToScreenEdges();

    Win32FormServices m_services;
    Win32FolderLister m_lister;
    Browser m_browser;
    HWND m_window = nullptr;
    std::error_code m_windowError;
    int m_dpi = 96;
    HFONT m_listFont = nullptr;
    HFONT m_captionFont = nullptr;
    HBITMAP m_face = nullptr;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
    bool m_label1Pressed = false;
    HWND m_lastFocus = nullptr;
};

// The program's message loop, with the lists' tab order and keys; returns the exit status.
int runMessageLoop(const Form1& form);

}  // namespace trovik
