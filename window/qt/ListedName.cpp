#include "window/qt/ListedName.h"

#include <QByteArray>
#include <QFile>

namespace trovik {

QString displayText(const std::filesystem::path& path) {
    return displayText(NameList::View(path.native()));
}

QString displayText(NameList::View name) {
#ifdef _WIN32
    return QString::fromWCharArray(name.data(), static_cast<qsizetype>(name.size()));
#else
    return QFile::decodeName(
        QByteArray::fromRawData(name.data(), static_cast<qsizetype>(name.size())));
#endif
}

std::u16string foldedText(NameList::View name) {
    return displayText(name).toCaseFolded().toStdU16String();
}

}  // namespace trovik
