#include "window/qt/Form1.h"

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPalette>
#include <QScreen>
#include <QUrl>
#include <utility>
#include <vector>

#include "scan/ScanCommand.h"
#include "window/core/Greeting.h"
#include "window/core/Layout.h"
#include "window/qt/DirListBox.h"
#include "window/qt/DriveListBox.h"
#include "window/qt/FileListBox.h"
#include "window/qt/FormLabel.h"

namespace trovik {
namespace {

// The lists' font: "Terminal", small and bold; where it is missing, another bold fixed-pitch face.
QFont listFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Terminal"), QStringLiteral("Liberation Mono"),
                      QStringLiteral("DejaVu Sans Mono"), QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPixelSize(layout::pointsToPixels(layout::ListFontPoints));
    font.setBold(true);
    return font;
}

// The caption's font: "Arial", or the face metric-compatible with it.
QFont captionFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(layout::pointsToPixels(layout::CaptionFontPoints));
    font.setBold(true);
    font.setItalic(true);
    return font;
}

QRect pixels(const layout::ControlPlace& where) {
    const layout::PixelRect rect = where.pixels();
    return {rect.left, rect.top, rect.width, rect.height};
}

void place(QWidget* control, const layout::ControlPlace& where) {
    control->setGeometry(pixels(where));
}

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void setTextColour(QWidget* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// The local files that a drag carries, as the system names them; none when it carries anything
// else.
std::vector<std::filesystem::path> localFiles(const QMimeData* data) {
    std::vector<std::filesystem::path> files;
    for (const QUrl& url : data->urls()) {
        if (!url.isLocalFile()) {
            return {};
        }
        files.emplace_back(QFile::encodeName(url.toLocalFile()).toStdString());
    }
    return files;
}

}  // namespace

Form1::Form1(FormServices services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::FramelessWindowHint),
      m_services(std::move(services)),
      m_browser(m_services.volumes.mountedVolumes(), m_services.workingFolder, m_lister,
                m_services.messages) {
    setWindowTitle(fromUtf8(ApplicationTitle));
    setFixedSize(pixels(layout::Form1Client).size());
    setFocusPolicy(Qt::NoFocus);
    setAcceptDrops(true);

    createControls();
    connectHandlers();
    m_browser.start(*this);
    centreOnScreen();
    Drive1->setFocus();
    connect(Label3, &FormLabel::pressed, this, &Form1::Label3_MouseDown);
    connect(Label4, &FormLabel::pressed, this, &Form1::Label4_MouseDown);
}

Form1::~Form1() = default;

void Form1::createControls() {
    Drive1 = new DriveListBox(m_browser.volumes(), this);
    Dir1 = new DirListBox(this);
    File1 = new FileListBox(this);
    for (QWidget* list : std::initializer_list<QWidget*>{Drive1, Dir1, File1}) {
        list->setFont(listFont());
    }
    place(Drive1, layout::Drive1Place);
    place(Dir1, layout::Dir1Place);
    place(File1, layout::File1Place);
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);

    // The shadow first, so that the white caption lies above it.
    const QString caption = fromUtf8(layout::CaptionText);
    Label2 = new FormLabel(caption, this);
    Label1 = new FormLabel(caption, this);
    for (FormLabel* label : {Label1, Label2}) {
        label->setFont(captionFont());
    }
    setTextColour(Label1, QColor(255, 255, 255));
    setTextColour(Label2, QColor(0, 0, 0));
    place(Label1, layout::Label1Place);
    place(Label2, layout::Label2Place);

    Label3 = new FormLabel(QString(), this);
    Label4 = new FormLabel(QString(), this);
    place(Label3, layout::Label3Place);
    place(Label4, layout::Label4Place);
}

void Form1::connectHandlers() {
    connect(Drive1, &DriveListBox::changed, this, &Form1::Drive1_Change);
    connect(Dir1, &DirListBox::opened, this, [this](std::size_t row) { m_browser.openRow(row); });
    connect(File1, &FileListBox::selected, this,
            [this](std::int64_t index) { m_browser.selectFile(index); });
    connect(Label1, &FormLabel::clicked, this, &Form1::Label1_Click);
}

void Form1::centreOnScreen() {
    const QScreen* where = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (where == nullptr) {
        return;
    }
    QRect frame = rect();
    frame.moveCenter(where->geometry().center());
    move(frame.topLeft());
}

void Form1::Drive1_Change() {
    m_browser.Drive1_Change(Drive1->Drive());
}

void Form1::Label1_Click() {
    ScanCommand(m_browser.selection(), m_services.messages, m_services.files);
}

void Form1::scanStartFile(const StartFile& file) {
    ScanCommand(m_browser.selectStartFile(file), m_services.messages, m_services.files);
}

void Form1::openFile(const StartFile& file) {
    ScanCommand(m_browser.openFile(file), m_services.messages, m_services.files);
}

void Form1::showDrive(std::size_t volume) {
    Drive1->showDrive(volume);
}

void Form1::showFolders(const std::vector<FolderRow>& rows, std::size_t current) {
    Dir1->showRows(rows, current);
}

void Form1::markFolder(std::size_t current) {
    Dir1->mark(current);
}

void Form1::showFiles(std::shared_ptr<const NameList> names) {
    File1->showNames(std::move(names));
}

void Form1::showSelection(std::int64_t index) {
    File1->select(index);
}

void Form1::Form_Load() {
    showGreeting(m_services.messages);
}

void Form1::Form_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/,
                           QPointF position) {
    // The snap runs when the release ends the drag.
    m_drag.StartWindowDrag(mapToGlobal(position));
}

void Form1::Label3_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/,
                             QPointF /*position*/) {
    setWindowState(windowState() | Qt::WindowMinimized);
}

void Form1::Label4_MouseDown(Qt::MouseButton /*Button*/, Qt::KeyboardModifiers /*Shift*/,
                             QPointF /*position*/) {
    // Leaves every event loop: exec() returns 0, and main returns it.
    QCoreApplication::exit(0);
}

void Form1::showEvent(QShowEvent* event) {
    // Set when first shown, so that the greeting before it need not wait for the picture's reader.
    if (!m_iconSet) {
        m_iconSet = true;
        setWindowIcon(QIcon(QStringLiteral(":/trovik/icon.png")));
    }
    QWidget::showEvent(event);
}

void Form1::mousePressEvent(QMouseEvent* event) {
    // Only the background: a press on a control is the control's.
    if (childAt(event->position().toPoint()) == nullptr) {
        Form_MouseDown(event->button(), event->modifiers(), event->position());
    }
}

void Form1::dragEnterEvent(QDragEnterEvent* event) {
    if (droppedFile(localFiles(event->mimeData()))) {
        event->acceptProposedAction();
    }
}

void Form1::dropEvent(QDropEvent* event) {
    if (const auto file = droppedFile(localFiles(event->mimeData()))) {
        event->acceptProposedAction();
        openFile(startFile(*file, {}));
    }
}

void Form1::paintEvent(QPaintEvent* /*event*/) {
    if (m_face.isNull()) {
        // Read when first painted: the greeting, shown before, need not wait for the decoder.
        m_face.addFile(QStringLiteral(":/trovik/face.jpg"));
        m_face.addFile(QStringLiteral(":/trovik/face@2x.jpg"));
    }
    QPainter painter(this);
    painter.drawPixmap(rect(), m_face.pixmap(size(), devicePixelRatioF()));
}

}  // namespace trovik
