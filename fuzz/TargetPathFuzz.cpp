// The path join on any folder and name: the folder unchanged, then a separator unless the folder
// already ends with one, then the name unchanged. Nothing else, whatever bytes either holds.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "scan/TargetPath.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string folder = input.ConsumeRandomLengthString();
    const std::string name = input.ConsumeRemainingBytesAsString();
    const std::string joined = trovik::BuildTargetPath(folder, name).native();
    const std::string expected = folder + (folder.ends_with('/') ? "" : "/") + name;
    if (joined != expected) {
        std::fprintf(stderr, "folder \"%s\", name \"%s\" gave \"%s\", not \"%s\"\n", folder.c_str(),
                     name.c_str(), joined.c_str(), expected.c_str());
        std::abort();
    }
    return 0;
}
