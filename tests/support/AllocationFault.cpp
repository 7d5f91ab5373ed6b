#include "AllocationFault.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::size_t> g_watchedSize{0};
std::atomic<void*> g_watched{nullptr};
std::atomic<bool> g_seen{false};
std::atomic<bool> g_failing{false};

}  // namespace

namespace allocationfault {

void WatchBlockOfSize(std::size_t size)
{
    g_watched = nullptr;
    g_seen = false;
    g_watchedSize = size;
}

bool WatchedBlockSeen()
{
    return g_seen;
}

void FailUntilWatchedBlockIsFreed()
{
    g_failing = g_watched.load() != nullptr;
}

bool Failing()
{
    return g_failing;
}

}  // namespace allocationfault

void* operator new(std::size_t size)
{
    if (g_failing)
        throw std::bad_alloc();
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    if (size != 0 && size == g_watchedSize && !g_seen.exchange(true))
        g_watched = block;
    return block;
}

void operator delete(void* block) noexcept
{
    if (block && block == g_watched) {
        g_watched = nullptr;
        g_watchedSize = 0;
        g_failing = false;
    }
    std::free(block);
}

void operator delete(void* block, std::size_t) noexcept
{
    operator delete(block);
}
