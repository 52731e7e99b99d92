#include "window/ListedName.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>

namespace trovik {

QString displayText(const std::filesystem::path& path) {
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

std::vector<ListedName> sortedForDisplay(std::vector<std::filesystem::path> names) {
    std::vector<ListedName> listed;
    listed.reserve(names.size());
    for (auto& name : names) {
        QString text = displayText(name);
        listed.push_back({std::move(name), std::move(text)});
    }
    std::ranges::sort(listed, [](const ListedName& a, const ListedName& b) {
        const int order = a.text.compare(b.text, Qt::CaseInsensitive);
        return order != 0 ? order < 0 : a.name.native() < b.name.native();
    });
    return listed;
}

}  // namespace trovik
