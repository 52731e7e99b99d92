#include "FormFixture.h"

#include <QTest>

#include "platform/io/FileService.h"

namespace trovik::test {

void FormFixture::SetUp() {
    disk.write("A/work/report.doc", "clean");
    disk.write("A/work/pws.exe", filler(1000, Signature, 10));
    disk.write("A/work/deeper/inner.exe", "clean");
    disk.write("A/top.exe", filler(1000, Signature, 500));
    disk.write("B/b.bin", "clean");
    disk.write("B/stuff/other.bin", "clean");
    volumes.volumes = {{a, "ALPHA"}, {b, ""}};
    makeForm(a / "work");
}

void FormFixture::makeForm(const std::filesystem::path& workingFolder) {
    form = std::make_unique<Form1>(
        FormServices{messages, systemFileService(), volumes, workingFolder});
}

void FormFixture::clickAt(QPoint point, Qt::MouseButton button) {
    QWidget* target = form->childAt(point) != nullptr ? form->childAt(point) : form.get();
    QTest::mouseClick(target, button, {}, target->mapFrom(form.get(), point));
}

void FormFixture::selectRow(int row) {
    const QModelIndex index = form->File1->model()->index(row, 0);
    form->File1->scrollTo(index);
    QTest::mouseClick(form->File1->viewport(), Qt::LeftButton, {},
                      form->File1->visualRect(index).center());
}

void FormFixture::selectFile(const std::string& name) {
    const Names names = fileNames();
    const auto found = std::ranges::find(names, name);
    ASSERT_NE(found, names.end()) << "no file " << name << " in the list";
    selectRow(static_cast<int>(found - names.begin()));
}

void FormFixture::openFolder(const std::string& text, bool doubleClick) {
    const Names texts = folderTexts();
    const auto found = std::ranges::find(texts, text);
    ASSERT_NE(found, texts.end()) << "no folder " << text << " in the list";
    const QModelIndex index =
        form->Dir1->model()->index(static_cast<int>(found - texts.begin()), 0);
    if (doubleClick) {
        // A double click arrives as a click followed by a double-click event.
        const QPoint at = form->Dir1->visualRect(index).center();
        QTest::mouseClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(form->Dir1->viewport(), Qt::LeftButton, {}, at);
    } else {
        form->Dir1->setCurrentIndex(index);
        QTest::keyClick(form->Dir1, Qt::Key_Return);
    }
}

Shown FormFixture::scan() {
    messages.shown.clear();
    clickAt(form->Label1->geometry().topLeft() + QPoint(10, 10));
    return messages.shown.size() == 1 ? messages.shown.front() : Shown{"no single box", {}};
}

Names FormFixture::fileNames() const {
    Names names;
    for (int row = 0; row < form->File1->count(); ++row) {
        names.push_back(form->File1->entry(row).name.native());
    }
    return names;
}

Names FormFixture::folderTexts() const {
    Names texts;
    for (int row = 0; row < form->Dir1->count(); ++row) {
        texts.push_back(form->Dir1->row(row).text.toStdString());
    }
    return texts;
}

void FormFixture::expectChainAt(const std::filesystem::path& folder) {
    EXPECT_EQ(form->Dir1->Path(), folder);
    EXPECT_EQ(form->File1->Path(), folder);
    EXPECT_EQ(form->Drive1->currentIndex(), folder.native().starts_with(b.native()) ? BRow : ARow);
}

}  // namespace trovik::test
