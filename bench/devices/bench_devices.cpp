#include "devices/CDeviceTable.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

using namespace ondrel;

namespace {

std::string MacOf(unsigned n) {
    char text[32];
    std::snprintf(text, sizeof text, "AA:BB:%02X:%02X:%02X:%02X", (n >> 24) & 0xFFu,
                  (n >> 16) & 0xFFu, (n >> 8) & 0xFFu, n & 0xFFu);
    return text;
}

// Distinct records that share most of their bytes, as replies from one model line do.
std::vector<DeviceInfo> Records(unsigned count) {
    std::vector<DeviceInfo> records;
    records.reserve(count);
    for (unsigned n = 0; n < count; ++n) {
        DeviceInfo d = zeroDeviceInfo();
        setField(d.Mac, MacOf(n));
        setField(d.DevName, "IPCAM");
        setField(d.IP, "10.0." + std::to_string(n >> 8) + "." + std::to_string(n & 0xFFu));
        setField(d.NetMask, "255.255.0.0");
        setField(d.WebVersion, "1.2.3.4");
        d.HttpPort = 80;
        records.push_back(d);
    }
    return records;
}

void AddDistinct(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        CDeviceTable table;
        for (const DeviceInfo& d : records) {
            benchmark::DoNotOptimize(table.AddDevice(&d));
        }
        state.PauseTiming();
        table.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddDistinct)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

// A flood of distinct fake replies, beyond the table's bound: what it keeps, what it turns
// away, and the heap it holds (each entry with the adapter it arrived on).
void AddFloodBeyondTheBound(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    const AdapterRef adapter{"enp0s31f6", 2, 0xC0A8010A, 24};
    for (auto _ : state) {
        const std::size_t heapBefore = mallinfo2().uordblks;
        CDeviceTable table;
        for (const DeviceInfo& d : records) {
            benchmark::DoNotOptimize(table.Add(&d, adapter));
        }
        state.PauseTiming();
        const double held = static_cast<double>(mallinfo2().uordblks - heapBefore);
        state.counters["stored"] = static_cast<double>(table.Count());
        state.counters["ignored"] = static_cast<double>(table.Overflow());
        state.counters["heap_MB"] = held / (1024.0 * 1024.0);
        state.counters["bytes_per_device"] = held / static_cast<double>(table.Count());
        table.Clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddFloodBeyondTheBound)->Arg(100000)->Unit(benchmark::kMillisecond);

// The walk over the whole chain that a table without an index does per addition, for scale.
void AddDistinctByChainWalk(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        std::vector<DeviceInfo> chain;
        for (const DeviceInfo& d : records) {
            bool repeat = false;
            for (const DeviceInfo& stored : chain) {
                if (std::memcmp(&stored, &d, sizeof d) == 0) {
                    repeat = true;
                    break;
                }
            }
            if (!repeat) {
                chain.push_back(d);
            }
        }
        benchmark::DoNotOptimize(chain.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddDistinctByChainWalk)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void AddRepeats(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    CDeviceTable table;
    for (const DeviceInfo& d : records) {
        table.AddDevice(&d);
    }
    for (auto _ : state) {
        for (const DeviceInfo& d : records) {
            benchmark::DoNotOptimize(table.AddDevice(&d));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddRepeats)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void ClearFull(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    CDeviceTable table;
    for (auto _ : state) {
        state.PauseTiming();
        for (const DeviceInfo& d : records) {
            table.AddDevice(&d);
        }
        state.ResumeTiming();
        table.Clear();
    }
}
BENCHMARK(ClearFull)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The last arrival: the longest walk a lookup by MAC makes.
void FindLastByMac(benchmark::State& state) {
    const auto count = static_cast<unsigned>(state.range(0));
    const auto records = Records(count);
    CDeviceTable table;
    for (const DeviceInfo& d : records) {
        table.AddDevice(&d);
    }
    const std::string mac = MacOf(count - 1);
    DeviceInfo out = zeroDeviceInfo();
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.FindDeviceByMac(mac, out));
    }
}
BENCHMARK(FindLastByMac)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void FindMissingMac(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    CDeviceTable table;
    for (const DeviceInfo& d : records) {
        table.AddDevice(&d);
    }
    DeviceInfo out = zeroDeviceInfo();
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.FindDeviceByMac("FF:FF:FF:FF:FF:FF", out));
    }
}
BENCHMARK(FindMissingMac)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace
