#include "scan/ScanCommand.h"

#include "platform/io/Text.h"
#include "scan/ScanFile.h"
#include "scan/TargetPath.h"

namespace trovik {

VerdictMessage messageForVerdict(const std::filesystem::path& name, const ScanVerdict& verdict) {
    // The name as the list shows it, in UTF-8 (on POSIX: the name's own bytes).
    std::string text = utf8String(name.u8string());
    switch (verdict.kind) {
        case ScanVerdict::Kind::PasswordStealer:
            return {text + " is a PASSWORD STEALER!", MessageIcon::Critical};
        case ScanVerdict::Kind::Clean:
            return {text + " is CLEAN!", MessageIcon::Information};
        case ScanVerdict::Kind::Unreadable:
            return {text + " could not be scanned!\r\r" + verdict.error.message(),
                    MessageIcon::Critical};
    }
    return {text, MessageIcon::Critical};
}

void ScanCommand(const FileSelection& selection, MessageBoxService& messages, FileService& files) {
    if (selection.ListIndex < 0) {
        messages.show("No file selected!", MessageIcon::Critical);
        return;
    }
    const auto target = BuildTargetPath(selection.Path, selection.FileName);
    const ScanPass pass = ScanFile(target, files);
    const VerdictMessage message = messageForVerdict(selection.FileName, pass.verdict());
    messages.show(message.text, message.icon);
}  // the pass closes the file here, after the box was dismissed

}  // namespace trovik
