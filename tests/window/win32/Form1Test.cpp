#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <cstring>

#include "support/FakeFileService.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"
#include "window/win32/Form1.h"
// DROPFILES, after windows.h
#include <shlobj.h>

namespace trovik {
namespace {

namespace fs = std::filesystem;
using test::Shown;

struct FixedVolumes final : VolumeService {
    std::vector<Volume> volumes;
    std::vector<Volume> mountedVolumes() override { return volumes; }
};
struct FixedScreen final : ScreenService {
    RECT rect{0, 0, 800, 600};
    RECT monitorHolding(HWND) override { return rect; }
};
// The drag as the user would end it: the window is dropped at `drop`.
struct DropAt final : WindowMove {
    POINT drop{};
    int runs = 0;
    void run(HWND window) override {
        ++runs;
        ::SetWindowPos(window, nullptr, drop.x, drop.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
};

// Left, top, right, bottom.
using Box = std::array<LONG, 4>;
Box box(const RECT& rect) {
    return {rect.left, rect.top, rect.right, rect.bottom};
}
Box clientBox(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return box(rect);
}

class Win32Form : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::getenv("DISPLAY") == nullptr) {
            GTEST_SKIP() << "wine needs an X display to make windows";
        }
        folder.write("b.exe", "xx sexstory yy");
        folder.write("A.txt", "nothing here");
        folder.write("sub/inner.txt", "x");
        const fs::path hidden = folder.write("hidden.txt", "x");
        ::SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN);
        // And another drive that wine always has, so that no root is added before them.
        volumes.volumes = {{fs::path(L"Q:\\"), "GONE"},
                           {folder.path().root_path(), "WORK"},
                           {fs::path(workDrive == L'Z' ? L"C:\\" : L"Z:\\"), ""}};
        makeForm(systemFileService());
    }

    // The form, shown. Under a heavily loaded wine the system has been seen to refuse a window
    // now and then; a form without one is made again, a few times, before the test fails on it.
    void makeForm(FileService& files) {
        for (int tries = 3; tries > 0; --tries) {
            form.reset();
            form.emplace(Win32FormServices{messages, files, volumes, screen, move,
                                           [this] { ++ends; }, folder.path()});
            if (form->hWnd() != nullptr) {
                break;
            }
            ::Sleep(500);
        }
        ASSERT_NE(form->hWnd(), nullptr) << form->windowError().message();
        form->show();
    }

    // A press and release of `button` at a point of the form's client area.
    void click(POINT at, UINT down = WM_LBUTTONDOWN) {
        const LPARAM where = MAKELPARAM(at.x, at.y);
        ::SendMessageW(form->hWnd(), down, 0, where);
        ::SendMessageW(form->hWnd(), down + 1, 0, where);
    }
    void command(HWND control, WORD code) {
        ::SendMessageW(form->hWnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(control), code),
                       reinterpret_cast<LPARAM>(control));
    }
    // Selects the file list's entry as a click would: the list tells the form.
    void selectFile(LRESULT index) {
        ::SendMessageW(form->File1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        command(form->File1, LBN_SELCHANGE);
    }
    static LRESULT selected(HWND list) { return ::SendMessageW(list, LB_GETCURSEL, 0, 0); }
    static std::vector<std::wstring> items(HWND list) {
        std::vector<std::wstring> texts(
            static_cast<std::size_t>(::SendMessageW(list, LB_GETCOUNT, 0, 0)));
        for (std::size_t i = 0; i < texts.size(); ++i) {
            texts[i].resize(static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, i, 0)));
            ::SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(texts[i].data()));
        }
        return texts;
    }

    test::TempDir folder;
    wchar_t workDrive = static_cast<wchar_t>(::towupper(folder.path().wstring()[0]));
    test::RecordingMessageBox messages;
    FixedVolumes volumes;
    FixedScreen screen;
    DropAt move;
    int ends = 0;
    std::optional<Form1> form;
};

TEST_F(Win32Form, ControlsLieInTheirPixelsAtNinetySixDotsAnInchWithDrive1FocusedFirst) {
    RECT client{};
    ::GetClientRect(form->hWnd(), &client);
    EXPECT_EQ(::GetWindowLongW(form->hWnd(), GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME), 0);
    const struct {
        Box actual, expected;
    } places[] = {{box(client), {0, 0, 265, 220}},
                  {clientBox(form->Drive1), {10, 32, 132, 48}},
                  {clientBox(form->Dir1), {10, 54, 132, 210}},
                  {clientBox(form->File1), {138, 32, 254, 174}},
                  {box(form->Label1), {144, 183, 248, 206}},
                  {box(form->Label2), {146, 185, 250, 208}},
                  {box(form->Label3), {237, 4, 247, 18}},
                  {box(form->Label4), {249, 4, 259, 18}}};
    for (const auto& place : places) {
        EXPECT_EQ(place.actual, place.expected) << &place - places;
    }
    EXPECT_EQ(::GetFocus(), form->Drive1);
}

// A drop as Explorer makes one: the paths, each ended by a NUL, and a NUL after the last. The form
// frees it, as the system would.
HDROP dropOf(const std::vector<fs::path>& paths) {
    std::wstring list;
    for (const auto& path : paths) {
        list += path.native() + L'\0';
    }
    list += L'\0';
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(::GlobalLock(memory));
    *files = DROPFILES{sizeof(DROPFILES), {}, FALSE, TRUE};
    std::memcpy(files + 1, list.data(), list.size() * sizeof(wchar_t));
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

// A file dropped on the window opens its folder, selected and scanned; a drop of several files is
// passed over (which drops open a file is the core's StartFile test).
TEST_F(Win32Form, ADroppedFileIsOpenedAndOtherDropsArePassedOver) {
    folder.write("sub/deep.exe", "..SEXSTORY..");
    const std::vector<fs::path> drops[] = {{folder / "sub" / "deep.exe"},
                                           {folder / "A.txt", folder / "b.exe"}};
    for (const auto& paths : drops) {
        ::SendMessageW(form->hWnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(dropOf(paths)), 0);
    }
    EXPECT_EQ(items(form->File1), (std::vector<std::wstring>{L"deep.exe", L"inner.txt"}));
    EXPECT_EQ(selected(form->File1), 0);
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"deep.exe is a PASSWORD STEALER!", MessageIcon::Critical}}));
}

// The hot-spots act on any button, the caption on the left one only, through the form's file
// service, and its shadow alone on none; the background drags the window, then snaps it.
TEST_F(Win32Form, HotSpotsActOnAnyButtonTheCaptionOnTheLeftAndTheBackgroundDragsThenSnaps) {
    test::FakeFileService refused;
    refused.openError = std::make_error_code(std::errc::permission_denied);
    makeForm(refused);
    selectFile(1);
    const std::pair<UINT, WPARAM> buttons[] = {{WM_LBUTTONDOWN, 0},
                                               {WM_RBUTTONDOWN, 0},
                                               {WM_MBUTTONDOWN, 0},
                                               {WM_XBUTTONDOWN, MAKEWPARAM(0, XBUTTON1)}};
    for (const auto& [button, which] : buttons) {
        ::ShowWindow(form->hWnd(), SW_RESTORE);
        for (const LPARAM at : {MAKELPARAM(150, 190), MAKELPARAM(249, 207)}) {
            ::SendMessageW(form->hWnd(), button, which, at);
            ::SendMessageW(form->hWnd(), button + 1, which, at);
        }
        ::SendMessageW(form->hWnd(), button, which, MAKELPARAM(246, 17));
        EXPECT_TRUE(::IsIconic(form->hWnd())) << button;
        ::SendMessageW(form->hWnd(), button, which, MAKELPARAM(249, 4));
    }
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{
                  {"b.exe could not be scanned!\r\rPermission denied", MessageIcon::Critical}}));
    EXPECT_EQ(ends, 4);
    ::ShowWindow(form->hWnd(), SW_RESTORE);

    const struct {
        POINT drop, snapped;
    } drops[] = {{{100, 100}, {100, 100}}, {{-40, 14}, {0, 0}},      {{15, 15}, {15, 15}},
                 {{521, 366}, {535, 380}}, {{520, 365}, {520, 365}}, {{900, 700}, {535, 380}}};
    for (const auto& d : drops) {
        move.drop = d.drop;
        click({236, 10}, WM_RBUTTONDOWN);  // one pixel left of the "-"
        RECT window{};
        ::GetWindowRect(form->hWnd(), &window);
        EXPECT_EQ((std::pair{window.left, window.top}), (std::pair{d.snapped.x, d.snapped.y}))
            << &d - drops;
    }
    EXPECT_EQ(move.runs, 6);
    EXPECT_FALSE(::IsIconic(form->hWnd()));
}

// The lists show the browser and their events reach it: the folder rows' texts (a drive's root in
// lower case) and highlight, the files without the hidden one, the drive; a double click or Enter
// in the folder list, a selection in the file list, a drive chosen. (What a drive or a folder that
// fails does to the lists is the browser's test's; a start file's verdict the end-to-end test's.)
TEST_F(Win32Form, TheListsShowTheBrowserAndTheirEventsReachIt) {
    std::vector<std::wstring> rows{{static_cast<wchar_t>(::towlower(workDrive)), L':', L'\\'}};
    for (const auto& step : folder.path().relative_path()) {
        rows.push_back(step.wstring());
    }
    const auto here = static_cast<LRESULT>(rows.size() - 1);
    rows.push_back(L"sub");
    const std::vector<std::wstring> files{L"A.txt", L"b.exe"};
    wchar_t drive[64] = {};
    ::GetWindowTextW(form->Drive1, drive, 64);
    EXPECT_EQ(drive, rows[0].substr(0, 2) + L" [WORK]");
    EXPECT_EQ(items(form->Dir1), rows);
    EXPECT_EQ(selected(form->Dir1), here);
    EXPECT_EQ(items(form->File1), files);

    ::SendMessageW(form->Dir1, LB_SETCURSEL, static_cast<WPARAM>(here + 1), 0);
    command(form->Dir1, LBN_DBLCLK);
    EXPECT_EQ(selected(form->Dir1), here + 1);
    EXPECT_EQ(items(form->File1), std::vector<std::wstring>{L"inner.txt"});
    EXPECT_EQ(selected(form->File1), LB_ERR);
    selectFile(0);
    click({150, 190});
    EXPECT_EQ(messages.shown,
              (std::vector<Shown>{{"inner.txt is CLEAN!", MessageIcon::Information}}));

    // Enter in the folder list, on the parent.
    ::SetFocus(form->Dir1);
    ::SendMessageW(form->Dir1, LB_SETCURSEL, static_cast<WPARAM>(here), 0);
    ::SendMessageW(form->hWnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    EXPECT_EQ(items(form->File1), files);
    ::SendMessageW(form->Drive1, CB_SETCURSEL, 0, 0);  // Q:, which does not exist: its box
    command(form->Drive1, CBN_SELCHANGE);
    EXPECT_EQ(messages.shown.size(), 2U);
}

}  // namespace
}  // namespace trovik
