#pragma once

#include <chrono>

namespace trovik::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr int SanitizerSlowdown = 4;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr int SanitizerSlowdown = 4;
#else
inline constexpr int SanitizerSlowdown = 1;
#endif
#else
inline constexpr int SanitizerSlowdown = 1;
#endif

// How long a step may take before a test calls it hung. It tells a call that blocks from one that
// returns, never fast from slow: generous enough for a loaded machine, and longer again under the
// sanitizers, which slow every call down.
inline constexpr std::chrono::seconds HangBound = std::chrono::seconds(30) * SanitizerSlowdown;

}  // namespace trovik::test
