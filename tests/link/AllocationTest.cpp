// Exchanges allocate nothing: this program replaces the global operator new and
// delete and counts the allocations made by the calling thread (the scripted
// service's own thread may allocate as it likes).
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "ScriptedService.h"

namespace {
std::atomic<DWORD> g_countedThread{0};
std::atomic<long> g_allocations{0};

void* CountedAlloc(std::size_t n) {
    if (g_countedThread.load(std::memory_order_relaxed) == ::GetCurrentThreadId())
        g_allocations.fetch_add(1, std::memory_order_relaxed);
    void* p = std::malloc(n == 0 ? 1 : n);
    if (p == nullptr) throw std::bad_alloc();
    return p;
}
}  // namespace

void* operator new(std::size_t n) { return CountedAlloc(n); }
void* operator new[](std::size_t n) { return CountedAlloc(n); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return CountedAlloc(n);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { std::free(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { std::free(p); }

namespace kestrel::test {
namespace {

using Allocation = ScriptedTest;

class Counting {
public:
    Counting() {
        g_allocations = 0;
        g_countedThread = ::GetCurrentThreadId();
    }
    ~Counting() { g_countedThread = 0; }
    long count() const { return g_allocations.load(); }
};

uint32_t Service(const RequestFrame& request, uint8_t* r) {
    switch (CodeOf(request)) {
    case kGetPortName: Wide(r, 8, L"COM10"); break;
    case kGetPortDevice:
        Wide(r, 8, L"COM10 (Dock station 4)");
        Wide(r, 68, L"SN-000000000042-ABCDEF");
        break;
    case kGetPortDmsConfig:
        Narrow(r, 8, "dms.example.org");
        Narrow(r, 308, "4711");
        break;
    case kGetLogSettings: Wide(r, 8, L"C:\\ProgramData\\Kestrel\\Logs"); break;
    case kGetPortCounters: U32(r, 8, SequenceOf(request)); break;
    default: break;
    }
    return 0;
}

TEST_F(Allocation, TheCounterSeesThisThreadsAllocations) {
    Counting counting;
    int* p = new int(5);
    delete p;
    std::wstring s(100, L'x');
    EXPECT_EQ(counting.count(), 2);
}

TEST_F(Allocation, TransactAndGetPortCountersAllocateNothing) {
    Connect(Service);
    const std::wstring port = L"COM10 with a name longer than the small buffer";
    uint32_t tx = 0, rx = 0, up = 0;
    ASSERT_EQ(client.GetPortCounters(port, tx, rx, up), kDone);  // warm-up

    long transactAllocations = 0, countersAllocations = 0;
    uint32_t failures = 0;
    {
        Counting counting;
        for (int i = 0; i < 1000; ++i) {
            RequestFrame request{};
            ResponseFrame response;
            U32(request.data(), 4, kUseDefaultDmsConfig);
            if (!client.Transact(request, response).Done()) ++failures;
        }
        transactAllocations = counting.count();
    }
    {
        Counting counting;
        for (int i = 0; i < 1000; ++i) {
            if (!client.GetPortCounters(port, tx, rx, up).Done()) ++failures;
        }
        countersAllocations = counting.count();
    }
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(transactAllocations, 0);
    EXPECT_EQ(countersAllocations, 0);
    EXPECT_EQ(tx, client.Sequence() - 1);
    client.Close();
}

TEST_F(Allocation, ReadingRequestsReuseTheOutputStringsCapacity) {
    Connect(Service);
    std::wstring portName, label, serial, folder;
    portName.reserve(262);
    label.reserve(30);
    serial.reserve(150);
    folder.reserve(260);
    uint32_t mode = 0, status = 0, level = 0, stamp = 0, count = 0;
    bool useDefault = false;
    DmsConfig dms;
    uint32_t failures = 0;
    long allocations = 0;
    {
        Counting counting;
        for (int i = 0; i < 200; ++i) {
            failures += client.GetPortListInfo(&stamp, &count).Done() ? 0 : 1;
            failures += client.GetPortName(stamp, 0, portName).Done() ? 0 : 1;
            failures +=
                client.GetPortDevice(portName, label, serial, mode, status, useDefault).Done() ? 0
                                                                                               : 1;
            failures += client.GetPortDmsConfig(portName, dms).Done() ? 0 : 1;
            failures += client.GetLogSettings(folder, level).Done() ? 0 : 1;
        }
        allocations = counting.count();
    }
    EXPECT_EQ(failures, 0u);
    EXPECT_EQ(allocations, 0);
    EXPECT_EQ(portName, L"COM10");
    EXPECT_EQ(serial, L"SN-000000000042-ABCDEF");
    EXPECT_EQ(folder, L"C:\\ProgramData\\Kestrel\\Logs");
    EXPECT_STREQ(dms.host, "dms.example.org");
    client.Close();
}

}  // namespace
}  // namespace kestrel::test
