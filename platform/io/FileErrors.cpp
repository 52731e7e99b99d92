#include "platform/io/FileErrors.h"

#include <string>

namespace trovik {
namespace {

class FileErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "trovik.file"; }

    std::string message(int value) const override {
        switch (static_cast<FileError>(value)) {
            case FileError::NotRegularFile:
                return "Not a regular file";
        }
        return "Unknown file error";
    }
};

}  // namespace

const std::error_category& fileErrorCategory() noexcept {
    static const FileErrorCategory category;
    return category;
}

}  // namespace trovik
