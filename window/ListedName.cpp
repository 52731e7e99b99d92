#include "window/ListedName.h"

#include <QByteArray>
#include <QFile>
#include <algorithm>

namespace trovik {

QString displayText(const std::filesystem::path& path) {
#ifdef _WIN32
    return QString::fromStdWString(path.native());
#else
    const std::string& bytes = path.native();
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
#endif
}

std::vector<ListedName> sortedForDisplay(std::vector<std::filesystem::path> names) {
    // Each name is decoded and case-folded once; the sort then compares the folded texts.
    struct Keyed {
        QString folded;
        ListedName listed;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (auto& name : names) {
        QString text = displayText(name);
        QString folded = text.toCaseFolded();
        keyed.push_back({std::move(folded), {std::move(name), std::move(text)}});
    }
    std::ranges::sort(keyed, [](const Keyed& a, const Keyed& b) {
        const int order = QString::compare(a.folded, b.folded, Qt::CaseSensitive);
        return order != 0 ? order < 0 : a.listed.name.native() < b.listed.name.native();
    });
    std::vector<ListedName> listed;
    listed.reserve(keyed.size());
    for (Keyed& entry : keyed) {
        listed.push_back(std::move(entry.listed));
    }
    return listed;
}

}  // namespace trovik
