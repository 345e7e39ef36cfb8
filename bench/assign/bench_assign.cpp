#include "devices/AssignPlan.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace ondrel;

namespace {

// Says every address is free, at once: the plan's own cost without the network's wait.
class FreeProber : public AddressProber {
public:
    std::vector<ProbeResult> probe(const std::vector<ProbeRequest>& requests) override {
        return std::vector<ProbeResult>(requests.size(), {ProbeOutcome::Free, {}});
    }
};

// Devices out of the box on one switch: one factory address, one adapter, every tenth one
// elsewhere in the new range so that some addresses are passed over.
RangeRequest inventory(unsigned count) {
    const AdapterRef adapter{"eCam", 3, 0x0A000001u, 16}; // 10.0.0.1/16
    RangeRequest r;
    for (unsigned n = 0; n < count; ++n) {
        char mac[32];
        std::snprintf(mac, sizeof mac, "02:4F:4E:00:%02X:%02X", (n >> 8) & 0xFFu, n & 0xFFu);
        Device d;
        d.name = "IPCAM";
        d.mac = ReportedMac::fromText(mac);
        d.id = "CAM" + std::to_string(n);
        d.ip = ReportedAddress::fromText(n % 10 == 9 ? "10.0.1." + std::to_string(n % 250 + 1)
                                                     : "192.168.0.64");
        d.netMask = ReportedAddress::fromText("255.255.255.0");
        d.gateway = ReportedAddress::fromText("192.168.0.1");
        d.adapter = adapter;
        r.chosen.push_back(std::move(d));
    }
    r.listed = r.chosen;
    r.firstAddress = "10.0.1.1";
    r.netMask = "255.255.0.0";
    r.gateway = "10.0.0.254"; // their own is the factory subnet's
    r.pcAdapters = {adapter};
    return r;
}

void PlanWithProbingAnsweredAtOnce(benchmark::State& state) {
    RangeRequest request = inventory(static_cast<unsigned>(state.range(0)));
    sortByIdentity(request.chosen);
    FreeProber prober;
    for (auto _ : state) {
        const AssignPlan plan = planRange(request, &prober);
        if (!plan.ok() || plan.devices.size() != request.chosen.size()) {
            state.SkipWithError("the plan was refused");
        }
        benchmark::DoNotOptimize(plan.devices.data());
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(PlanWithProbingAnsweredAtOnce)->Arg(200)->Arg(1000)->Unit(benchmark::kMillisecond);

void SortByMac(benchmark::State& state) {
    const RangeRequest request = inventory(static_cast<unsigned>(state.range(0)));
    for (auto _ : state) {
        std::vector<Device> devices(request.chosen.rbegin(), request.chosen.rend());
        sortByIdentity(devices);
        benchmark::DoNotOptimize(devices.data());
    }
}
BENCHMARK(SortByMac)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
