#include "RealtimeGuard.h"

#include <cstdlib>
#include <new>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
 #define BRAZZLE_COUNTING_HOOKS 0
#elif defined(__has_feature)
 #if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
  #define BRAZZLE_COUNTING_HOOKS 0
 #endif
#endif

#ifndef BRAZZLE_COUNTING_HOOKS
 #define BRAZZLE_COUNTING_HOOKS 1
#endif

namespace
{
thread_local int armed = 0;
thread_local std::size_t allocationCount = 0;
thread_local std::size_t lockCount = 0;
} // namespace

namespace brazzle::test
{
RealtimeGuard::RealtimeGuard() noexcept
    : allocationsAtStart (allocationCount), locksAtStart (lockCount)
{
    ++armed;
}

RealtimeGuard::~RealtimeGuard()
{
    --armed;
}

std::size_t RealtimeGuard::allocations() const noexcept
{
    return allocationCount - allocationsAtStart;
}

std::size_t RealtimeGuard::locks() const noexcept
{
    return lockCount - locksAtStart;
}

bool RealtimeGuard::isAvailable() noexcept
{
    return BRAZZLE_COUNTING_HOOKS != 0;
}
} // namespace brazzle::test

#if BRAZZLE_COUNTING_HOOKS

 #include <dlfcn.h>
 #include <pthread.h>

namespace
{
void* allocate (std::size_t size)
{
    if (armed > 0)
        ++allocationCount;

    if (void* p = std::malloc (size == 0 ? 1 : size))
        return p;

    throw std::bad_alloc();
}

void* allocateAligned (std::size_t size, std::align_val_t alignment)
{
    if (armed > 0)
        ++allocationCount;

    const auto a = static_cast<std::size_t> (alignment);
    const auto rounded = ((size == 0 ? 1 : size) + a - 1) / a * a;

    if (void* p = std::aligned_alloc (a, rounded))
        return p;

    throw std::bad_alloc();
}
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void* operator new (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new[] (std::size_t size, const std::nothrow_t&) noexcept
{
    try { return allocate (size); } catch (...) { return nullptr; }
}
void* operator new (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void* operator new[] (std::size_t size, std::align_val_t a) { return allocateAligned (size, a); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }
void operator delete (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::align_val_t) noexcept { std::free (p); }
void operator delete (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t, std::align_val_t) noexcept { std::free (p); }

extern "C" int pthread_mutex_lock (pthread_mutex_t* mutex)
{
    using Lock = int (*) (pthread_mutex_t*);
    static const auto next = reinterpret_cast<Lock> (dlsym (RTLD_NEXT, "pthread_mutex_lock"));

    if (armed > 0)
        ++lockCount;

    return next (mutex);
}

#endif
