#pragma once

#include <QIcon>
#include <QWidget>

#include "window/core/Browser.h"
#include "window/core/StartFile.h"
#include "window/qt/FormServices.h"
#include "window/qt/ReadFolder.h"
#include "window/qt/WindowDrag.h"

namespace trovik {

class DirListBox;
class DriveListBox;
class FileListBox;
class FormLabel;

// The main window: a borderless 265 by 220 picture with three lists and four labels on it. The
// lists show the browser's chain and hand it the user's choices.
class Form1 : public QWidget, private BrowserView {
    Q_OBJECT

public:
    explicit Form1(FormServices services, QWidget* parent = nullptr);
    ~Form1() override;

    // The lists' chain: the drive, the folders, the files and the selection.
    [[nodiscard]] const Browser& browser() const { return m_browser; }

    // The controls, by the names the tool gives them. Owned by the form.
    DriveListBox* Drive1 = nullptr;  // the volumes
    DirListBox* Dir1 = nullptr;      // the folder's ancestors and subfolders
    FileListBox* File1 = nullptr;    // the folder's files
    FormLabel* Label1 = nullptr;     // "Scan File!", white
    FormLabel* Label2 = nullptr;     // its black shadow
    FormLabel* Label3 = nullptr;     // hot-spot over the painted "-"
    FormLabel* Label4 = nullptr;     // hot-spot over the painted "X"

    // Points the folder list at the chosen volume's current folder.
    void Drive1_Change();
    // Scans the file selected in the file list.
    void Label1_Click();
    // Shows the greeting; run once, before the window is first shown.
    void Form_Load();
    // Selects the file trovik was started with, when the file list shows it, and scans it as
    // "Scan File!" would; the lists are on its folder when the form was made on that folder.
    void scanStartFile(const StartFile& file);
    // Moves the lists to the file's folder, then selects and scans the file: a file dropped on the
    // window.
    void openFile(const StartFile& file);
    // A press on the background: the window follows the pointer, and is pulled flush against the
    // edges of its screen that it is dropped near or beyond when the button is released.
    void Form_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPointF position);
    // A press on the "-" hot-spot: minimises the window.
    void Label3_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPointF position);
    // A press on the "X" hot-spot: ends the program at once, with status 0.
    void Label4_MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Shift, QPointF position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    // One file dragged onto the window is taken; several, or a folder, are not.
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    void centreOnScreen();

    void showDrive(std::size_t volume) override;
    void showFolders(const std::vector<FolderRow>& rows, std::size_t current) override;
    void markFolder(std::size_t current) override;
    void showFiles(std::shared_ptr<const NameList> names) override;
    void showSelection(std::int64_t index) override;

    FormServices m_services;
    QtFolderLister m_lister;
    Browser m_browser;
    QIcon m_face;  // the picture, and a copy at twice the pixels for scaled screens; read when
                   // first painted
    bool m_iconSet = false;
    WindowDrag m_drag{*this};
};

}  // namespace trovik
