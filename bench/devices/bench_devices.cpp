#include "devices/DeviceList.h"
#include "discovery/DeviceInfo.h"
#include "discovery/DeviceRecord.h"
#include "discovery/ReplyParser.h"
#include "wsd/WsDiscovery.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
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
std::vector<Device> Records(unsigned count) {
    std::vector<Device> records;
    records.reserve(count);
    for (unsigned n = 0; n < count; ++n) {
        DeviceInfo d = zeroDeviceInfo();
        setField(d.mac, MacOf(n));
        setField(d.devName, "IPCAM");
        setField(d.ip, "10.0." + std::to_string(n >> 8) + "." + std::to_string(n & 0xFFu));
        setField(d.netMask, "255.255.0.0");
        setField(d.webVersion, "1.2.3.4");
        d.httpPort = 80;
        records.push_back(deviceFromRecord(d));
    }
    return records;
}

void AddDistinct(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<Device> replies = records; // as the endpoint hands them over
        DeviceList list;
        state.ResumeTiming();
        list.addAll(std::move(replies));
        benchmark::DoNotOptimize(list.size());
        state.PauseTiming();
        list.clear();
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
        state.PauseTiming();
        std::vector<Device> replies = records;
        for (Device& d : replies) {
            d.adapter = adapter;
        }
        state.ResumeTiming();
        const std::size_t heapBefore = mallinfo2().uordblks;
        DeviceList table;
        for (Device& d : replies) {
            benchmark::DoNotOptimize(table.add(std::move(d)));
        }
        state.PauseTiming();
        const double held = static_cast<double>(mallinfo2().uordblks - heapBefore);
        state.counters["stored"] = static_cast<double>(table.size());
        state.counters["ignored"] = static_cast<double>(table.overflow());
        state.counters["heap_MB"] = held / (1024.0 * 1024.0);
        state.counters["bytes_per_device"] = held / static_cast<double>(table.size());
        table.clear();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddFloodBeyondTheBound)->Arg(100000)->Unit(benchmark::kMillisecond);

// The walk over the whole chain that a table without an index does per addition, for scale.
void AddDistinctByChainWalk(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        std::vector<WireRecord> chain;
        for (const Device& device : records) {
            const WireRecord& d = device.record;
            bool repeat = false;
            for (const WireRecord& stored : chain) {
                if (stored == d) {
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
    DeviceList table;
    for (const Device& d : records) {
        table.add(d);
    }
    for (auto _ : state) {
        for (const Device& d : records) {
            benchmark::DoNotOptimize(table.add(d));
        }
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(AddRepeats)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void ClearFull(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    DeviceList table;
    for (auto _ : state) {
        state.PauseTiming();
        for (const Device& d : records) {
            table.add(d);
        }
        state.ResumeTiming();
        table.clear();
    }
}
BENCHMARK(ClearFull)->Arg(10000)->Unit(benchmark::kMicrosecond);

// The last arrival: the longest walk a lookup by MAC makes.
void FindLastByMac(benchmark::State& state) {
    const auto count = static_cast<unsigned>(state.range(0));
    const auto records = Records(count);
    DeviceList table;
    for (const Device& d : records) {
        table.add(d);
    }
    const std::string mac = MacOf(count - 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.findMac(*parseMac(mac)));
    }
}
BENCHMARK(FindLastByMac)->Arg(1000)->Arg(10000)->Unit(benchmark::kMicrosecond);

void FindMissingMac(benchmark::State& state) {
    const auto records = Records(static_cast<unsigned>(state.range(0)));
    DeviceList table;
    for (const Device& d : records) {
        table.add(d);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(table.findMac(*parseMac("FF:FF:FF:FF:FF:FF")));
    }
}
BENCHMARK(FindMissingMac)->Arg(10000)->Unit(benchmark::kMicrosecond);

// What the receive thread does per reply: the record alone, and the Device value above it.
std::string ReplyText(unsigned n) {
    return "IPCamSearchReply\r\nDevName:IPCAM\r\nDevId:BN-" + std::to_string(n) +
           "\r\nCableConnect:1\r\nIP:10.0." + std::to_string(n >> 8) + "." +
           std::to_string(n & 0xFFu) + "\r\nMacEth0:" + MacOf(n) +
           "\r\nIPMethod:1\r\nNetMask:255.255.0.0\r\nGateWay:10.0.0.1\r\nDNS0:10.0.0.1\r\n"
           "Port:80\r\nWebVersion:1.2.3.4\r\nAppVersion:5.6.7.8\r\n"
           "AppUpTime:0000000000000000042\r\n\r\n";
}

void DecodeRecord(benchmark::State& state) {
    const std::string text = ReplyText(1234);
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeRecord(text));
    }
}
BENCHMARK(DecodeRecord)->Unit(benchmark::kNanosecond);

void DecodeDevice(benchmark::State& state) {
    const std::string text = ReplyText(1234);
    for (auto _ : state) {
        benchmark::DoNotOptimize(decodeSearchReply(text));
    }
}
BENCHMARK(DecodeDevice)->Unit(benchmark::kNanosecond);

// What the WS-Discovery receive thread does per ProbeMatches datagram: the hardened read, the
// camera test and the device of every match. Two makers' layouts: one line with many
// namespace declarations, and an indented one.
void DecodeProbeMatches(benchmark::State& state) {
    const char* files[] = {"probematch_hikvision.xml", "probematch_axis.xml"};
    std::ifstream in(std::string(ONDREL_WSD_FIXTURES) + "/" + files[state.range(0)]);
    std::ostringstream read;
    read << in.rdbuf();
    const std::string text = read.str();
    const AdapterRef adapter{"eth0", 2, 0xC0A8010Au, 24};
    std::size_t matches = 0;
    for (auto _ : state) {
        const wsd::Decoded decoded = wsd::decodeMessage(text);
        for (const wsd::Match& match : std::get<wsd::Message>(decoded).matches) {
            if (wsd::isCamera(match)) {
                benchmark::DoNotOptimize(wsd::cameraDevice(match, adapter, Ipv4{0xC0A801C8u}));
            }
            ++matches;
        }
    }
    state.SetItemsProcessed(static_cast<int64_t>(matches));
    state.SetLabel(std::string(files[state.range(0)]) + ", " + std::to_string(text.size()) +
                   " bytes");
}
BENCHMARK(DecodeProbeMatches)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace
