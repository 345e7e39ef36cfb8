// Every allocation of the process goes through the counters below (operator new, and pugixml's
// own allocator), so the peak of one read is what the reader held, pugixml's tree included.

#include "wsd/WsDiscovery.h"
#include "xml/XmlReader.h"

#include <benchmark/benchmark.h>
#include <pugixml.hpp>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

using namespace ondrel;

namespace {

std::atomic<std::size_t> g_current{0};
std::atomic<std::size_t> g_peak{0};

[[gnu::noinline]] void* counted(std::size_t size) {
    void* p = std::malloc(size == 0 ? 1 : size);
    if (p != nullptr) {
        const std::size_t now = g_current += malloc_usable_size(p);
        std::size_t peak = g_peak.load();
        while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
        }
    }
    return p;
}

[[gnu::noinline]] void released(void* p) {
    if (p != nullptr) {
        g_current -= malloc_usable_size(p);
        std::free(p);
    }
}

[[maybe_unused]] const bool g_pugixmlCounted = [] {
    pugi::set_memory_management_functions(counted, released);
    return true;
}();

constexpr std::size_t kAnswerBytes = 1024 * 1024;

std::string repeated(std::string_view unit, std::size_t count) {
    std::string out;
    out.reserve(unit.size() * count);
    for (std::size_t i = 0; i < count; ++i) {
        out += unit;
    }
    return out;
}

// The answer of the lab's hostile camera: a long default namespace on an element that holds
// nothing but empty elements.
std::string emptyElements(std::size_t namespaceBytes, std::size_t elements) {
    return "<a xmlns=\"" + std::string(namespaceBytes, 'n') + "\">" + repeated("<e/>", elements) +
           "</a>";
}

// As many elements as the reader takes, each with a text, filling the answer's byte cap.
std::string elementsWithText() {
    return "<a xmlns=\"" + std::string(1000, 'n') + "\">" +
           repeated("<e>" + std::string(42, 't') + "</e>", 19'999) + "</a>";
}

// As many attributes as the reader takes, 64 to an element, with values filling the cap.
std::string attributes() {
    std::string element = "<e";
    for (int i = 0; i < 64; ++i) {
        element += " a" + std::to_string(i) + "=\"" + std::string(40, 'v') + "\"";
    }
    return "<a>" + repeated(element + "/>", 312) + "</a>";
}

// Each element declares a namespace of its own, 1,000 bytes long.
std::string distinctNamespaces() {
    std::string out = "<a>";
    for (int i = 0; i < 1000; ++i) {
        std::string uri = std::to_string(i);
        uri.resize(1000, 'n');
        out += "<p:e xmlns:p=\"" + uri + "\"/>";
    }
    return out + "</a>";
}

// The lab's bomb datagram: a ProbeMatches envelope under 32 KiB.
std::string bombDatagram(std::size_t namespaceBytes, std::size_t elements) {
    return "<s:Envelope xmlns:s=\"http://www.w3.org/2003/05/soap-envelope\"><s:Body xmlns=\"" +
           std::string(namespaceBytes, 'n') + "\">" + repeated("<e/>", elements) +
           "</s:Body></s:Envelope>";
}

struct Shape {
    const char* name;
    std::string bytes;
    bool datagram;
};

const Shape& shape(int index) {
    static const Shape shapes[] = {
        {"1 MiB answer: 200 KB namespace, 200,000 empty elements", emptyElements(200'000, 200'000),
         false},
        {"1 MiB answer: 1 KiB namespace, 250,000 empty elements", emptyElements(1024, 250'000),
         false},
        {"1 MiB answer: 20,000 elements with texts", elementsWithText(), false},
        {"1 MiB answer: 20,000 attributes", attributes(), false},
        {"1 MiB answer: 1,000 distinct 1 KB namespaces", distinctNamespaces(), false},
        {"32 KiB datagram: 12 KB namespace, 4,800 empty elements", bombDatagram(12'000, 4'800),
         true},
        {"datagram: 1 KiB namespace, 2,040 empty elements", bombDatagram(1024, 2'040), true},
        {"32 KiB datagram: 1 KiB namespace, 7,700 empty elements", bombDatagram(1024, 7'700), true},
    };
    return shapes[index];
}

void ReaderPeak(benchmark::State& state) {
    const Shape& s = shape(static_cast<int>(state.range(0)));
    const xml::Limits limits{.maxBytes = kAnswerBytes};
    std::size_t peak = 0;
    bool refused = false;
    for (auto _ : state) {
        const std::size_t before = g_current.load();
        g_peak = before;
        if (s.datagram) {
            const wsd::Decoded decoded = wsd::decodeMessage(s.bytes);
            refused = std::holds_alternative<wsd::Refusal>(decoded);
        } else {
            const xml::Read read = xml::read(s.bytes, limits);
            refused = std::holds_alternative<xml::Refusal>(read);
        }
        peak = std::max(peak, g_peak.load() - before);
    }
    state.counters["peak_KiB"] = static_cast<double>(peak) / 1024.0;
    state.SetLabel(std::string(s.name) + ", " + std::to_string(s.bytes.size()) + " bytes" +
                   (refused ? ", refused" : ", read"));
}
BENCHMARK(ReaderPeak)->DenseRange(0, 7)->Unit(benchmark::kMicrosecond);

} // namespace

void* operator new(std::size_t size) {
    if (void* p = counted(size)) {
        return p;
    }
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    released(p);
}
void operator delete[](void* p) noexcept {
    released(p);
}
void operator delete(void* p, std::size_t) noexcept {
    released(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    released(p);
}
