#include "window/win32/Form1.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/io/FileErrors.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32VolumeService.h"
#include "scan/ScanCommand.h"
#include "window/core/EdgeSnap.h"
#include "window/core/Greeting.h"
#include "window/core/Layout.h"

namespace trovik {
namespace {

constexpr wchar_t ClassName[] = L"trovik.Form1";
constexpr int TwipsPerInch = 1440;
enum ControlId : int { Drive1Id = 101, Dir1Id, File1Id };

// Fonts by their size in points, at the window's density.
HFONT makeFont(const wchar_t* face, double points, int dpi, bool italic, BYTE charset, BYTE pitch) {
    const int height = -static_cast<int>(std::lround(points * dpi / 72.0));
    return ::CreateFontW(height, 0, 0, 0, FW_BOLD, italic ? TRUE : FALSE, FALSE, FALSE, charset,
                         OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, pitch, face);
}

int CALLBACK noteFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool fontExists(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    ::wcsncpy_s(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &wanted, &noteFont, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

// A small folder glyph: a tab and a body, drawn open (a lighter lid) for the folder's ancestors.
void drawFolderGlyph(HDC dc, int left, int top, bool open) {
    HBRUSH body = ::CreateSolidBrush(RGB(236, 200, 88));
    HBRUSH lid = ::CreateSolidBrush(open ? RGB(252, 232, 150) : RGB(220, 176, 60));
    HPEN edge = ::CreatePen(PS_SOLID, 1, RGB(128, 96, 16));
    HGDIOBJ oldPen = ::SelectObject(dc, edge);
    HGDIOBJ oldBrush = ::SelectObject(dc, body);
    ::Rectangle(dc, left, top + 1, left + 5, top + 3);
    ::Rectangle(dc, left, top + 2, left + 11, top + 10);
    ::SelectObject(dc, lid);
    if (open) {
        const POINT flap[] = {
            {left + 2, top + 5}, {left + 12, top + 5}, {left + 10, top + 10}, {left, top + 10}};
        ::Polygon(dc, flap, 4);
    } else {
        ::Rectangle(dc, left, top + 4, left + 11, top + 10);
    }
    ::SelectObject(dc, oldBrush);
    ::SelectObject(dc, oldPen);
    ::DeleteObject(edge);
    ::DeleteObject(lid);
    ::DeleteObject(body);
}

bool inside(const RECT& rect, POINT point) {
    return ::PtInRect(&rect, point) != FALSE;
}

std::wstring listText(HWND list, int index) {
    const auto length = ::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == LB_ERR) {
        return {};
    }
    std::wstring text(static_cast<std::size_t>(length), L'\0');
    ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(text.data()));
    return text;
}

}  // namespace

void SystemWindowMove::run(HWND window) {
    ::ReleaseCapture();
    ::SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

Form1::Form1(Win32FormServices services)
    : m_services(std::move(services)),
      m_browser(m_services.volumes.mountedVolumes(), m_services.workingFolder, m_lister,
                m_services.messages) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    m_bigIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                ::GetSystemMetrics(SM_CXICON),
                                                ::GetSystemMetrics(SM_CYICON), 0));
    m_smallIcon = static_cast<HICON>(::LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                  ::GetSystemMetrics(SM_CXSMICON),
                                                  ::GetSystemMetrics(SM_CYSMICON), 0));
    m_face = static_cast<HBITMAP>(
        ::LoadImageW(instance, L"FACE", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &Form1::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hIcon = m_bigIcon;
    windowClass.hIconSm = m_smallIcon;
    windowClass.lpszClassName = ClassName;
    ::RegisterClassExW(&windowClass);  // fails harmlessly when a second form registers it again

    HDC screen = ::GetDC(nullptr);
    m_dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    // Made where it will be shown, centred on the primary monitor, so that the window manager
    // maps it there at once rather than at a place it is moved away from while hidden.
    const int width = pixels(layout::Form1Client.width);
    const int height = pixels(layout::Form1Client.height);
    const RECT primary = m_services.screens.monitorHolding(nullptr);
    const std::wstring title = widen(ApplicationTitle);
    m_window =
        ::CreateWindowExW(WS_EX_APPWINDOW, ClassName, title.c_str(), WS_POPUP | WS_CLIPCHILDREN,
                          primary.left + (primary.right - primary.left - width) / 2,
                          primary.top + (primary.bottom - primary.top - height) / 2, width, height,
                          nullptr, nullptr, instance, this);
    if (m_window == nullptr) {
        m_windowError = {static_cast<int>(::GetLastError()), windowsErrorCategory()};
        return;
    }
    ::DragAcceptFiles(m_window, TRUE);
    createFonts();
    createControls();
    fillDrives();
    m_browser.start(*this);
}

Form1::~Form1() {
    if (m_window != nullptr) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
        ::DestroyWindow(m_window);
    }
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(m_listFont), static_cast<HGDIOBJ>(m_captionFont),
                           static_cast<HGDIOBJ>(m_face)}) {
        if (object != nullptr) {
            ::DeleteObject(object);
        }
    }
    for (HICON icon : {m_bigIcon, m_smallIcon}) {
        if (icon != nullptr) {
            ::DestroyIcon(icon);
        }
    }
}

int Form1::pixels(int twips) const {
    return ::MulDiv(twips, m_dpi, TwipsPerInch);
}

void Form1::createFonts() {
    // "Terminal" where the system has it; otherwise another small, bold, fixed-pitch face.
    const wchar_t* listFace = L"Terminal";
    BYTE listCharset = OEM_CHARSET;
    for (const wchar_t* face : {L"Terminal", L"Liberation Mono", L"Courier New"}) {
        if (fontExists(face)) {
            listFace = face;
            listCharset = face == std::wstring_view(L"Terminal") ? OEM_CHARSET : DEFAULT_CHARSET;
            break;
        }
    }
    m_listFont = makeFont(listFace, layout::ListFontPoints, m_dpi, false, listCharset,
                          FIXED_PITCH | FF_MODERN);
    const wchar_t* captionFace = fontExists(L"Arial") ? L"Arial" : L"Liberation Sans";
    m_captionFont = makeFont(captionFace, layout::CaptionFontPoints, m_dpi, true, ANSI_CHARSET,
                             VARIABLE_PITCH | FF_SWISS);
}

void Form1::createControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    auto place = [&](const layout::ControlPlace& twips) {
        return RECT{pixels(twips.left), pixels(twips.top), pixels(twips.left + twips.width),
                    pixels(twips.top + twips.height)};
    };
    auto create = [&](const wchar_t* kind, DWORD style, DWORD exStyle, const RECT& rect, int id,
                      int height) {
        HWND control =
            ::CreateWindowExW(exStyle, kind, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style,
                              rect.left, rect.top, rect.right - rect.left, height, m_window,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_listFont), FALSE);
        return control;
    };

    // Created in the tab order: the drive list, the folder list, the file list.
    const RECT drive = place(layout::Drive1Place);
    Drive1 = create(L"COMBOBOX", CBS_DROPDOWNLIST | CBS_HASSTRINGS | WS_VSCROLL, 0, drive, Drive1Id,
                    pixels(layout::Dir1Place.top + layout::Dir1Place.height) - drive.top);
    // The closed box takes the place's height: its field is the item height and a 3-pixel edge.
    ::SendMessageW(Drive1, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1),
                   std::max<LPARAM>(drive.bottom - drive.top - 6, 1));
    const RECT dir = place(layout::Dir1Place);
    Dir1 =
        create(L"LISTBOX",
               LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | WS_VSCROLL,
               WS_EX_CLIENTEDGE, dir, Dir1Id, dir.bottom - dir.top);
    const RECT file = place(layout::File1Place);
    File1 = create(L"LISTBOX", LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL, WS_EX_CLIENTEDGE,
                   file, File1Id, file.bottom - file.top);

    HDC dc = ::GetDC(Dir1);
    HGDIOBJ old = ::SelectObject(dc, m_listFont);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(Dir1, dc);
    ::SendMessageW(Dir1, LB_SETITEMHEIGHT, 0, std::max<LPARAM>(metrics.tmHeight, 12));

    Label1 = place(layout::Label1Place);
    Label2 = place(layout::Label2Place);
    Label3 = place(layout::Label3Place);
    Label4 = place(layout::Label4Place);
}

void Form1::fillDrives() {
    for (const Volume& volume : m_browser.volumes()) {
        ::SendMessageW(Drive1, CB_ADDSTRING, 0,
                       reinterpret_cast<LPARAM>(driveText(volume).c_str()));
    }
}

void Form1::showDrive(std::size_t volume) {
    ::SendMessageW(Drive1, CB_SETCURSEL, volume, 0);
}

void Form1::showFolders(const std::vector<FolderRow>& rows, std::size_t current) {
    ::SendMessageW(Dir1, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(Dir1, LB_RESETCONTENT, 0, 0);
    for (const FolderRow& row : rows) {
        std::wstring text = row.name().wstring();
        if (row.folder == row.folder.root_path() && text.size() >= 2 && text[1] == L':') {
            text[0] = static_cast<wchar_t>(::towlower(text[0]));  // "c:\"
        }
        ::SendMessageW(Dir1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    markFolder(current);
    ::SendMessageW(Dir1, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(Dir1, nullptr, TRUE);
}

void Form1::markFolder(std::size_t current) {
    ::SendMessageW(Dir1, LB_SETCURSEL, current, 0);
}

void Form1::showFiles(std::shared_ptr<const NameList> shared) {
    const NameList& names = *shared;  // the list box keeps its own copy of every string
    std::size_t chars = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        chars += names.view(i).size() + 1;
    }
    // A large folder is filled in one go: no drawing until the last name, the storage reserved.
    ::SendMessageW(File1, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(File1, LB_RESETCONTENT, 0, 0);
    ::SendMessageW(File1, LB_INITSTORAGE, names.size(),
                   static_cast<LPARAM>(chars * sizeof(wchar_t)));
    std::wstring text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        text.assign(names.view(i));
        ::SendMessageW(File1, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    ::SendMessageW(File1, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(File1, nullptr, TRUE);
}

void Form1::showSelection(std::int64_t index) {
    ::SendMessageW(File1, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Form1::show() {
    ::ShowWindow(m_window, SW_SHOW);
    ::UpdateWindow(m_window);
    ::SetFocus(Drive1);
}

void Form1::Form_Load() {
    showGreeting(m_services.messages);
}

void Form1::Drive1_Change() {
    const auto chosen = ::SendMessageW(Drive1, CB_GETCURSEL, 0, 0);
    if (chosen != CB_ERR) {
        m_browser.Drive1_Change(static_cast<std::size_t>(chosen));
    }
}

void Form1::Dir1_Change() {
    m_browser.Dir1_Change();
}

void Form1::openSelectedFolder() {
    const auto row = ::SendMessageW(Dir1, LB_GETCURSEL, 0, 0);
    if (row != LB_ERR) {
        m_browser.openRow(static_cast<std::size_t>(row));
    }
}

void Form1::scanStartFile(const StartFile& file) {
    ScanCommand(m_browser.selectStartFile(file), m_services.messages, m_services.files);
}

void Form1::openFile(const StartFile& file) {
    ScanCommand(m_browser.openFile(file), m_services.messages, m_services.files);
}

void Form1::takeDrop(HDROP drop) {
    std::vector<std::filesystem::path> dropped;
    const UINT count = ::DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        std::wstring path(::DragQueryFileW(drop, i, nullptr, 0), L'\0');
        ::DragQueryFileW(drop, i, path.data(), static_cast<UINT>(path.size() + 1));
        dropped.emplace_back(std::move(path));
    }
    ::DragFinish(drop);
    if (const auto file = droppedFile(dropped)) {
        openFile(startFile(*file, {}));
    }
}

void Form1::Label1_Click() {
    ScanCommand(m_browser.selection(), m_services.messages, m_services.files);
}

void Form1::Form_MouseDown(int /*Button*/, int /*Shift*/, POINT /*position*/) {
    m_services.move.run(m_window);
    snapToScreenEdges();
}

void Form1::Label3_MouseDown(int /*Button*/, int /*Shift*/, POINT /*position*/) {
    ::ShowWindow(m_window, SW_MINIMIZE);
}

void Form1::Label4_MouseDown(int /*Button*/, int /*Shift*/, POINT /*position*/) {
    m_services.end();
}

void Form1::snapToScreenEdges() {
    RECT window{};
    ::GetWindowRect(m_window, &window);
    const RECT screen = m_services.screens.monitorHolding(m_window);
    const float perPixel = static_cast<float>(TwipsPerInch) / static_cast<float>(m_dpi);
    auto twips = [&](const RECT& rect) {
        return TwipRect{static_cast<float>(rect.left) * perPixel,
                        static_cast<float>(rect.top) * perPixel,
                        static_cast<float>(rect.right - rect.left) * perPixel,
                        static_cast<float>(rect.bottom - rect.top) * perPixel};
    };
    const TwipPosition snapped = SnapToScreenEdges(twips(window), twips(screen));
    const auto left = static_cast<int>(std::lround(snapped.left / perPixel));
    const auto top = static_cast<int>(std::lround(snapped.top / perPixel));
    if (left != window.left || top != window.top) {
        ::SetWindowPos(m_window, nullptr, left, top, 0, 0,
                       SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1::paint() {
    PAINTSTRUCT paint{};
    HDC dc = ::BeginPaint(m_window, &paint);
    RECT client{};
    ::GetClientRect(m_window, &client);
    if (m_face != nullptr) {
        HDC picture = ::CreateCompatibleDC(dc);
        HGDIOBJ old = ::SelectObject(picture, m_face);
        BITMAP size{};
        ::GetObjectW(m_face, sizeof size, &size);
        // One picture pixel to a screen pixel at 96 dots per inch; stretched with the twips above.
        ::SetStretchBltMode(dc, HALFTONE);
        ::StretchBlt(dc, 0, 0, client.right, client.bottom, picture, 0, 0, size.bmWidth,
                     size.bmHeight, SRCCOPY);
        ::SelectObject(picture, old);
        ::DeleteDC(picture);
    } else {
        ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    }
    // The shadow first, so that the white caption lies above it.
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ old = ::SelectObject(dc, m_captionFont);
    const std::wstring caption = widen(layout::CaptionText);
    for (const auto& [rect, colour] :
         {std::pair{Label2, RGB(0, 0, 0)}, std::pair{Label1, RGB(255, 255, 255)}}) {
        RECT box = rect;
        ::SetTextColor(dc, colour);
        ::DrawTextW(dc, caption.c_str(), -1, &box, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
    }
    ::SelectObject(dc, old);
    ::EndPaint(m_window, &paint);
}

void Form1::drawDirItem(const DRAWITEMSTRUCT& item) {
    if (item.itemID == static_cast<UINT>(-1) || item.itemID >= m_browser.rows().size()) {
        return;
    }
    const FolderRow& row = m_browser.rows()[item.itemID];
    const bool selected = (item.itemState & ODS_SELECTED) != 0;
    HDC dc = item.hDC;
    ::FillRect(dc, &item.rcItem, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    const int indent = item.rcItem.left + 2 + row.level * 7;
    const int glyphTop = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - 11) / 2;
    drawFolderGlyph(dc, indent, glyphTop, row.open);
    const std::wstring text = listText(Dir1, static_cast<int>(item.itemID));
    RECT textRect = item.rcItem;
    textRect.left = indent + 15;
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ old = ::SelectObject(dc, m_listFont);
    ::DrawTextW(dc, text.c_str(), -1, &textRect,
                DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    ::SelectObject(dc, old);
    if ((item.itemState & ODS_FOCUS) != 0) {
        ::DrawFocusRect(dc, &item.rcItem);
    }
}

void Form1::mouseDown(int button, LPARAM lParam) {
    const POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    const int shift = (::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) |
                      (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
                      (::GetKeyState(VK_MENU) < 0 ? 4 : 0);
    // From the top of the stack down: the hot-spots, the caption above its shadow, the background.
    if (inside(Label3, point)) {
        Label3_MouseDown(button, shift, point);
    } else if (inside(Label4, point)) {
        Label4_MouseDown(button, shift, point);
    } else if (inside(Label1, point)) {
        if (button == MK_LBUTTON) {
            m_label1Pressed = true;
            ::SetCapture(m_window);
        }
    } else if (!inside(Label2, point)) {
        Form_MouseDown(button, shift, point);
    }
}

LRESULT CALLBACK Form1::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->m_window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    return form != nullptr ? form->handle(message, wParam, lParam)
                           : ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT Form1::handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT:
            paint();
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_LBUTTONDOWN:
            mouseDown(MK_LBUTTON, lParam);
            return 0;
        case WM_RBUTTONDOWN:
            mouseDown(MK_RBUTTON, lParam);
            return 0;
        case WM_MBUTTONDOWN:
            mouseDown(MK_MBUTTON, lParam);
            return 0;
        case WM_XBUTTONDOWN:
            mouseDown(GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? MK_XBUTTON1 : MK_XBUTTON2, lParam);
            return TRUE;
        case WM_LBUTTONUP:
            if (m_label1Pressed) {
                m_label1Pressed = false;
                ::ReleaseCapture();
                if (inside(Label1, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)})) {
                    Label1_Click();
                }
            }
            return 0;
        case WM_CAPTURECHANGED:
            m_label1Pressed = false;
            return 0;
        case WM_DRAWITEM:
            if (wParam == Dir1Id) {
                drawDirItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
                return TRUE;
            }
            break;
        case WM_COMMAND:
            if (LOWORD(wParam) == Drive1Id && HIWORD(wParam) == CBN_SELCHANGE) {
                Drive1_Change();
            } else if (LOWORD(wParam) == Dir1Id && HIWORD(wParam) == LBN_DBLCLK) {
                openSelectedFolder();
            } else if (LOWORD(wParam) == File1Id && HIWORD(wParam) == LBN_SELCHANGE) {
                m_browser.selectFile(::SendMessageW(File1, LB_GETCURSEL, 0, 0));
            } else if (LOWORD(wParam) == IDOK && ::GetFocus() == Dir1) {
                openSelectedFolder();  // Enter in the folder list
            }
            return 0;
        case WM_ACTIVATE:
            if (LOWORD(wParam) == WA_INACTIVE) {
                m_lastFocus = ::GetFocus();
            } else {
                ::SetFocus(m_lastFocus != nullptr && ::IsChild(m_window, m_lastFocus) ? m_lastFocus
                                                                                      : Drive1);
            }
            return 0;
        case WM_DROPFILES:
            takeDrop(reinterpret_cast<HDROP>(wParam));
            return 0;
        case WM_CLOSE:
            m_services.end();
            return 0;
        default:
            break;
    }
    return ::DefWindowProcW(m_window, message, wParam, lParam);
}

int runMessageLoop(const Form1& form) {
    MSG message{};
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (::IsDialogMessageW(form.hWnd(), &message) == FALSE) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    return static_cast<int>(message.wParam);
}

}  // namespace trovik
