#pragma once

#include <cstddef>

namespace brazzle::test
{
/** Counts heap allocations and mutex acquisitions made by the calling thread while it
    lives. The test binaries replace the global allocation functions and interpose
    pthread_mutex_lock to feed it; code under test is unchanged. */
class RealtimeGuard
{
public:
    RealtimeGuard() noexcept;
    ~RealtimeGuard();

    RealtimeGuard (const RealtimeGuard&) = delete;
    RealtimeGuard& operator= (const RealtimeGuard&) = delete;

    std::size_t allocations() const noexcept;
    std::size_t locks() const noexcept;

    /** False when the counting hooks are not compiled in (sanitizer builds). */
    static bool isAvailable() noexcept;

private:
    std::size_t allocationsAtStart, locksAtStart;
};
} // namespace brazzle::test
