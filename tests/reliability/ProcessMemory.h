#pragma once

// What this process holds in memory, for the long runs to compare between an early and a late
// point.

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__)
#define KOSTKOLAM_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KOSTKOLAM_UNDER_ASAN 1
#endif
#endif

namespace kostkolam::reliability {

#if defined(KOSTKOLAM_UNDER_ASAN)
inline constexpr bool kUnderAddressSanitizer = true;
#else
inline constexpr bool kUnderAddressSanitizer = false;
#endif

/// The resident set in bytes (/proc/self/statm). Under AddressSanitizer it mostly measures the
/// allocator's quarantine of freed blocks, so it says nothing about leaks there.
std::size_t residentBytes();

/// Bytes allocated on the heap and not yet freed, as the allocator in use counts them.
std::size_t liveHeapBytes();

/// Hands freed heap memory back to the system, so that the resident set shows what is in use.
void releaseFreeMemory();

}  // namespace kostkolam::reliability
