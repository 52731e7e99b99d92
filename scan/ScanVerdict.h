#pragma once

#include <system_error>

#include "scan/SignatureMatcher.h"

namespace trovik {

// What the signature scan found out about one file.
struct ScanVerdict {
    enum class Kind {
        Clean,            // the scan window holds none of the signatures
        PasswordStealer,  // the scan window holds at least one signature
        Unreadable,       // the file could not be read; `error` says why
    };

    ScanVerdict() noexcept = default;
    ScanVerdict(Kind what, std::error_code why, SignatureMatches found = {}) noexcept
        : kind(what), error(why), matches(found) {}

    Kind kind = Kind::Clean;
    std::error_code error;
    SignatureMatches matches;  // filled only when the scan was asked for them (MatchDetail)

    static ScanVerdict clean() noexcept { return {Kind::Clean, {}}; }
    static ScanVerdict passwordStealer() noexcept { return {Kind::PasswordStealer, {}}; }
    static ScanVerdict unreadable(std::error_code why) noexcept { return {Kind::Unreadable, why}; }

    friend bool operator==(const ScanVerdict&, const ScanVerdict&) = default;
};

}  // namespace trovik
