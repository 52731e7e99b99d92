// Properties of the path join on any folder and name: the folder comes first, unchanged; the name
// comes last, unchanged; between them stands exactly one separator, which is added only when the
// folder does not already end with one.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "scan/TargetPath.h"

namespace {

constexpr char Separator = '/';

void check(bool holds, const char* property, const std::string& folder, const std::string& name,
           const std::string& joined) {
    if (!holds) {
        std::fprintf(stderr, "%s fails: folder \"%s\", name \"%s\" gave \"%s\"\n", property,
                     folder.c_str(), name.c_str(), joined.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string folder = input.ConsumeRandomLengthString();
    const std::string name = input.ConsumeRemainingBytesAsString();
    const std::string joined = trovik::BuildTargetPath(folder, name).native();

    const bool folderEndsWithSeparator = !folder.empty() && folder.back() == Separator;
    const std::size_t added = folderEndsWithSeparator ? 0 : 1;
    check(joined.size() == folder.size() + added + name.size(), "length", folder, name, joined);
    check(joined.compare(0, folder.size(), folder) == 0, "folder is the prefix", folder, name,
          joined);
    check(joined.compare(joined.size() - name.size(), name.size(), name) == 0, "name is the suffix",
          folder, name, joined);
    // The byte before the name is a separator: the folder's own, or the one added.
    check(joined.size() > name.size() && joined[joined.size() - name.size() - 1] == Separator,
          "a separator at the join", folder, name, joined);
    // A bare name (no separator in it) after a folder that does not end with a run of separators
    // meets it at exactly one separator.
    if (name.find(Separator) == std::string::npos && !name.empty() &&
        !(folder.size() >= 2 && folder.ends_with("//"))) {
        const std::size_t join = joined.size() - name.size() - 1;
        check(join == 0 || joined[join - 1] != Separator, "exactly one separator at the join",
              folder, name, joined);
    }
    return 0;
}
