#include "FormFixture.h"

#include "platform/io/FileService.h"
#include "window/DirListBox.h"
#include "window/FileListBox.h"

namespace trovik::test {

void FormFixture::makeForm(const std::filesystem::path& workingFolder) {
    form = std::make_unique<Form1>(
        FormServices{messages, systemFileService(), volumes, workingFolder});
}

void FormFixture::clickAt(QPoint point, Qt::MouseButton button) {
    QWidget* target = form->childAt(point);
    if (target == nullptr) {
        target = form.get();
    }
    QTest::mouseClick(target, button, {}, target->mapFrom(form.get(), point));
}

void FormFixture::selectFile(const std::string& name) {
    for (int row = 0; row < form->File1->count(); ++row) {
        if (form->File1->entry(row).name == name) {
            const QModelIndex index = form->File1->model()->index(row, 0);
            form->File1->scrollTo(index);
            QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                              form->File1->visualRect(index).center());
            return;
        }
    }
    ADD_FAILURE() << "no file " << name << " in the list";
}

void FormFixture::openFolder(const std::string& text, Gesture gesture) {
    for (int row = 0; row < form->Dir1->count(); ++row) {
        if (form->Dir1->row(row).text.toStdString() == text) {
            const QModelIndex index = form->Dir1->model()->index(row, 0);
            if (gesture == Gesture::Enter) {
                form->Dir1->setCurrentIndex(index);
                QTest::keyClick(form->Dir1, Qt::Key_Return);
            } else {
                // A double click arrives as a click followed by a double-click event.
                const QPoint at = form->Dir1->visualRect(index).center();
                QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
                QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
            }
            return;
        }
    }
    ADD_FAILURE() << "no folder " << text << " in the list";
}

std::vector<std::string> FormFixture::fileNames() const {
    std::vector<std::string> names;
    for (int row = 0; row < form->File1->count(); ++row) {
        names.push_back(form->File1->entry(row).name.native());
    }
    return names;
}

std::vector<std::string> FormFixture::folderTexts() const {
    std::vector<std::string> texts;
    for (int row = 0; row < form->Dir1->count(); ++row) {
        texts.push_back(form->Dir1->row(row).text.toStdString());
    }
    return texts;
}

}  // namespace trovik::test
