// SPDX-License-Identifier: GPL-3.0-or-later
#include "TruncationGuard.h"

#include <signal.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <cstdint>
#include <mutex>

namespace orvane {

namespace {

// The handler reads the table without locks: each slot's end is written
// last when a region is added and cleared first when it goes.
constexpr int kSlots = 64;
std::atomic<uintptr_t> g_Begin[kSlots];
std::atomic<uintptr_t> g_End[kSlots];
struct sigaction g_Previous;
std::once_flag g_Installed;
std::mutex g_TableLock;

void OnBusError(int signal, siginfo_t* info, void* context)
{
    const auto address = reinterpret_cast<uintptr_t>(info->si_addr);
    for (int slot = 0; slot < kSlots; ++slot) {
        const uintptr_t end = g_End[slot].load(std::memory_order_acquire);
        if (end != 0 && address >= g_Begin[slot].load(std::memory_order_relaxed) && address < end) {
            const auto page = uintptr_t(::sysconf(_SC_PAGESIZE));
            void* start = reinterpret_cast<void*>(address & ~(page - 1));
            if (::mmap(start, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) != MAP_FAILED)
                return;  // the read is made again and finds zero bytes
            break;
        }
    }
    // Not a mapped log: whoever handled the signal before handles it now.
    if ((g_Previous.sa_flags & SA_SIGINFO) && g_Previous.sa_sigaction) {
        g_Previous.sa_sigaction(signal, info, context);
        return;
    }
    ::sigaction(SIGBUS, &g_Previous, nullptr);
}

void Install()
{
    struct sigaction action { };
    action.sa_sigaction = OnBusError;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGBUS, &action, &g_Previous);
}

}  // namespace

bool GuardMappedLog(const void* address, size_t size)
{
    std::call_once(g_Installed, Install);
    const std::lock_guard<std::mutex> lock(g_TableLock);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (g_End[slot].load(std::memory_order_relaxed) == 0) {
            const auto begin = reinterpret_cast<uintptr_t>(address);
            g_Begin[slot].store(begin, std::memory_order_relaxed);
            g_End[slot].store(begin + size, std::memory_order_release);
            return true;
        }
    }
    return false;
}

void ReleaseMappedLog(const void* address)
{
    const std::lock_guard<std::mutex> lock(g_TableLock);
    for (int slot = 0; slot < kSlots; ++slot) {
        if (g_End[slot].load(std::memory_order_relaxed) != 0 &&
            g_Begin[slot].load(std::memory_order_relaxed) == reinterpret_cast<uintptr_t>(address)) {
            g_End[slot].store(0, std::memory_order_release);
            return;
        }
    }
}

}  // namespace orvane
