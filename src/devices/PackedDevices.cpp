#include "PackedDevices.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>
#include <utility>

namespace ondrel {

namespace {

// The texts of a device, in the order an entry keeps them: first those of our own protocol,
// then those only a camera's WS-Discovery match gives, which most devices leave empty.
constexpr std::size_t kTexts = 10;
constexpr std::size_t kCameraTexts = 7;
constexpr std::size_t kAddresses = 5;
constexpr uint8_t kMacRead = 0x80;

template <typename Device, typename Visit> void forEachNativeText(Device& d, Visit visit) {
    visit(d.name);
    visit(d.mac.text);
    visit(d.id);
    visit(d.ip.text);
    visit(d.netMask.text);
    visit(d.gateway.text);
    visit(d.dns0.text);
    visit(d.dns1.text);
    visit(d.webVersion);
    visit(d.appVersion);
}

template <typename Device, typename Visit> void forEachCameraText(Device& d, Visit visit) {
    visit(d.hardware);
    visit(d.location);
    visit(d.serviceUrl);
    visit(d.endpoint);
    visit(d.xaddrs);
    visit(d.sentFrom);
    visit(d.claims);
}

template <typename Device, typename Visit> void forEachText(Device& d, Visit visit) {
    forEachNativeText(d, visit);
    forEachCameraText(d, visit);
}

template <typename Device, typename Visit> void forEachAddress(Device& d, Visit visit) {
    visit(d.ip);
    visit(d.netMask);
    visit(d.gateway);
    visit(d.dns0);
    visit(d.dns1);
}

std::size_t textLength(const Device& device) {
    std::size_t length = 0;
    forEachText(device, [&](const std::string& text) { length += text.size(); });
    return length;
}

bool hasDetails(const CameraDetails& d) {
    return !d.status.empty() || !d.manufacturer.empty() || !d.model.empty() ||
           !d.firmware.empty() || !d.serial.empty() || !d.hostname.empty() || d.clockOffset ||
           d.networkRead;
}

bool hasCameraTexts(const Device& d) {
    return !d.hardware.empty() || !d.location.empty() || !d.serviceUrl.empty() ||
           !d.endpoint.empty() || !d.xaddrs.empty() || !d.sentFrom.empty() || !d.claims.empty();
}

} // namespace

PackedRecord::PackedRecord(const WireRecord& record) {
    // Which words are kept is found for all of them at once, without a branch to mispredict: a
    // receive thread packs thousands of records a burst.
    std::array<uint32_t, kWords> words;
    std::memcpy(words.data(), record.data(), record.size());
    uint64_t mask = 0;
    for (std::size_t w = 0; w < kWords; ++w) {
        mask |= uint64_t{words[w] != 0} << w;
    }
    std::memcpy(m_bytes.data(), &mask, sizeof mask);
    m_size = sizeof mask;
    for (uint64_t left = mask; left != 0; left &= left - 1) {
        std::memcpy(m_bytes.data() + m_size,
                    &words[static_cast<std::size_t>(std::countr_zero(left))], 4);
        m_size += 4;
    }
}

void PackedRecord::unpack(std::string_view packed, WireRecord& record) {
    uint64_t mask = 0;
    std::memcpy(&mask, packed.data(), sizeof mask);
    std::size_t from = sizeof mask;
    for (std::size_t w = 0; w < kWords; ++w) {
        if (mask & (uint64_t{1} << w)) {
            std::memcpy(record.data() + 4 * w, packed.data() + from, 4);
            from += 4;
        } else {
            std::memset(record.data() + 4 * w, 0, 4);
        }
    }
}

// A device as it is kept. Its texts follow it in the arena, then its packed record, which only
// repeats and requests read: what a list shows of a device lies in its first cache lines. Where
// the ends of a camera's texts are kept, they come first, right behind the entry; a device
// without them costs nothing for them.
struct PackedDevices::Entry {
    uint32_t textEnds[kTexts]; // where each text ends, counted from the first
    uint32_t addresses[kAddresses];
    uint32_t source; // where the device's latest reply came from
    uint16_t ports[4];
    uint16_t adapter;      // in m_adapters
    uint8_t addressesRead; // bit n: addresses[n] is the address the text reads as; bit 7: mac
    uint8_t mac[6];
    uint8_t dhcp;
    uint16_t recordSize;
    uint8_t protocols;
    uint8_t cameraTexts; // 1: kCameraTexts more ends follow the entry

    static std::size_t sizeFor(bool cameraTexts, std::size_t textLength, std::size_t recordSize) {
        return sizeof(Entry) + (cameraTexts ? kCameraTexts * sizeof(uint32_t) : 0) + textLength +
               recordSize;
    }
    std::size_t size() const { return sizeFor(cameraTexts != 0, textsEnd(), recordSize); }
    uint32_t* cameraEnds() { return reinterpret_cast<uint32_t*>(this + 1); }
    const uint32_t* cameraEnds() const { return reinterpret_cast<const uint32_t*>(this + 1); }
    uint32_t textEnd(std::size_t n) const {
        if (n < kTexts) {
            return textEnds[n];
        }
        return cameraTexts ? cameraEnds()[n - kTexts] : textEnds[kTexts - 1];
    }
    uint32_t textsEnd() const { return textEnd(kTexts + kCameraTexts - 1); }
    const char* texts() const {
        return reinterpret_cast<const char*>(this + 1) +
               (cameraTexts ? kCameraTexts * sizeof(uint32_t) : 0);
    }
    char* texts() { return const_cast<char*>(std::as_const(*this).texts()); }
    std::string_view record() const { return {texts() + textsEnd(), recordSize}; }
};
// Memory handed out in order from large blocks that never move, so that entries cost no
// allocation of their own and a burst of them none that doubles.
class PackedDevices::Arena {
public:
    static constexpr std::size_t kBlock = 64 * 1024;

    // Room for size bytes; may throw std::bad_alloc, taking nothing then.
    void reserve(std::size_t size) {
        if (m_used + size <= m_room) {
            return;
        }
        // Not zeroed: a block's pages are touched only as entries fill them.
        const std::size_t block = std::max(size, kBlock);
        auto fresh = std::make_unique_for_overwrite<std::byte[]>(block);
        m_blocks.push_back(std::move(fresh));
        m_used = 0;
        m_room = block;
    }
    // What reserve made room for.
    std::byte* take(std::size_t size) {
        std::byte* at = m_blocks.back().get() + m_used;
        const std::size_t aligned = (size + alignof(Entry) - 1) / alignof(Entry) * alignof(Entry);
        m_used += aligned;
        m_taken += aligned;
        return at;
    }
    // Everything take() handed out.
    std::size_t taken() const { return m_taken; }

private:
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::size_t m_used = 0;
    std::size_t m_room = 0;
    std::size_t m_taken = 0;
};

PackedDevices::PackedDevices() = default;
PackedDevices::~PackedDevices() = default;
PackedDevices::PackedDevices(PackedDevices&&) noexcept = default;
PackedDevices& PackedDevices::operator=(PackedDevices&&) noexcept = default;

std::optional<uint16_t> PackedDevices::adapterNumber(const AdapterRef& adapter) {
    const auto known = std::find(m_adapters.begin(), m_adapters.end(), adapter);
    if (known != m_adapters.end()) {
        return static_cast<uint16_t>(known - m_adapters.begin());
    }
    if (m_adapters.size() > UINT16_MAX) {
        return std::nullopt;
    }
    m_adapters.push_back(adapter);
    return static_cast<uint16_t>(m_adapters.size() - 1);
}

std::optional<uint16_t> PackedDevices::prepare(std::size_t entrySize, const AdapterRef& adapter) {
    if (entrySize > UINT32_MAX) {
        return std::nullopt;
    }
    try {
        const std::optional<uint16_t> number = adapterNumber(adapter);
        if (number) {
            if (!m_arena) {
                m_arena = std::make_unique<Arena>();
            }
            m_arena->reserve(entrySize);
            if (m_entries.size() == m_entries.capacity()) {
                m_entries.reserve(std::max<std::size_t>(64, 2 * m_entries.capacity()));
            }
        }
        return number;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

std::size_t PackedDevices::entrySize(const Device& device, const PackedRecord& record) {
    return Entry::sizeFor(hasCameraTexts(device), textLength(device), record.bytes().size());
}

PackedDevices::Entry* PackedDevices::pack(std::byte* at, const Device& device,
                                          const PackedRecord& record, uint16_t adapter) {
    const std::string_view packed = record.bytes();
    auto* entry = new (at) Entry{};
    entry->cameraTexts = hasCameraTexts(device) ? 1 : 0;
    std::size_t end = 0;
    std::size_t n = 0;
    forEachText(device, [&](const std::string& text) {
        std::memcpy(entry->texts() + end, text.data(), text.size());
        end += text.size();
        if (n < kTexts) {
            entry->textEnds[n] = static_cast<uint32_t>(end);
        } else if (entry->cameraTexts) {
            entry->cameraEnds()[n - kTexts] = static_cast<uint32_t>(end);
        }
        ++n;
    });
    std::memcpy(entry->texts() + end, packed.data(), packed.size());
    entry->recordSize = static_cast<uint16_t>(packed.size());
    n = 0;
    forEachAddress(device, [&](const ReportedAddress& a) {
        if (a.value) {
            entry->addresses[n] = a.value->bits;
            entry->addressesRead |= static_cast<uint8_t>(1u << n);
        }
        ++n;
    });
    if (device.mac.value) {
        const std::array<uint8_t, 6> bytes = device.mac.value->bytes();
        std::memcpy(entry->mac, bytes.data(), bytes.size());
        entry->addressesRead |= kMacRead;
    }
    entry->ports[0] = device.httpPort;
    entry->ports[1] = device.port2;
    entry->ports[2] = device.port3;
    entry->ports[3] = device.port4;
    entry->adapter = adapter;
    entry->source = device.source.bits;
    entry->dhcp = device.mode == AddressMode::Dhcp ? 1 : 0;
    entry->protocols = static_cast<uint8_t>(device.protocols);
    return entry;
}

bool PackedDevices::push(const Device& device, const PackedRecord& record) {
    const std::size_t size = entrySize(device, record);
    const std::optional<uint16_t> adapter = prepare(size, device.adapter);
    if (!adapter) {
        return false;
    }
    m_entries.push_back(pack(m_arena->take(size), device, record, *adapter));
    try {
        keepDetails(m_entries.size() - 1, device.details);
    } catch (const std::bad_alloc&) {
        m_entries.pop_back();
        return false;
    }
    return true;
}

void PackedDevices::keepDetails(std::size_t index, const CameraDetails& details) {
    if (hasDetails(details)) {
        m_details.insert_or_assign(index, details);
    } else {
        m_details.erase(index);
    }
}

bool PackedDevices::push(const PackedDevices& other, std::size_t index) {
    const Entry& from = *other.m_entries[index];
    const std::optional<uint16_t> adapter = prepare(from.size(), other.m_adapters[from.adapter]);
    if (!adapter) {
        return false;
    }
    // An entry holds no pointer: its bytes are the device wherever they lie.
    auto* entry = reinterpret_cast<Entry*>(m_arena->take(from.size()));
    std::memcpy(static_cast<void*>(entry), &from, from.size());
    entry->adapter = *adapter;
    m_entries.push_back(entry);
    if (const auto details = other.m_details.find(index); details != other.m_details.end()) {
        try {
            m_details.insert_or_assign(m_entries.size() - 1, details->second);
        } catch (const std::bad_alloc&) {
            m_entries.pop_back();
            return false;
        }
    }
    return true;
}

DeviceView PackedDevices::operator[](std::size_t index) const {
    const Entry& e = *m_entries[index];
    DeviceView view;
    const char* texts = e.texts();
    std::size_t begin = 0;
    std::size_t n = 0;
    forEachNativeText(view, [&](std::string_view& text) {
        text = std::string_view(texts + begin, e.textEnds[n] - begin);
        begin = e.textEnds[n++];
    });
    if (e.cameraTexts) {
        const uint32_t* ends = e.cameraEnds();
        n = 0;
        forEachCameraText(view, [&](std::string_view& text) {
            text = std::string_view(texts + begin, ends[n] - begin);
            begin = ends[n++];
        });
    } else {
        forEachCameraText(view, [](std::string_view& text) { text = {}; });
    }
    n = 0;
    forEachAddress(view, [&](AddressView& a) {
        if (e.addressesRead & (1u << n)) {
            a.value = Ipv4{e.addresses[n]};
        }
        ++n;
    });
    if (e.addressesRead & kMacRead) {
        std::array<uint8_t, 6> bytes{};
        std::memcpy(bytes.data(), e.mac, bytes.size());
        view.mac.value = Mac::fromBytes(bytes);
    }
    view.httpPort = e.ports[0];
    view.port2 = e.ports[1];
    view.port3 = e.ports[2];
    view.port4 = e.ports[3];
    view.mode = e.dhcp ? AddressMode::Dhcp : AddressMode::Static;
    view.adapter = &m_adapters[e.adapter];
    view.source = Ipv4{e.source};
    view.protocols = static_cast<Protocols>(e.protocols);
    if (const auto details = m_details.find(index); details != m_details.end()) {
        view.details = &details->second;
    }
    return view;
}

Device PackedDevices::device(std::size_t index) const {
    const DeviceView view = (*this)[index];
    Device d;
    d.name = view.name;
    d.mac = {std::string(view.mac.text), view.mac.value};
    d.id = view.id;
    const AddressView* from[] = {&view.ip, &view.netMask, &view.gateway, &view.dns0, &view.dns1};
    forEachAddress(d, [&, n = 0](ReportedAddress& a) mutable {
        a.text = from[n]->text;
        a.value = from[n]->value;
        ++n;
    });
    d.mode = view.mode;
    d.httpPort = view.httpPort;
    d.port2 = view.port2;
    d.port3 = view.port3;
    d.port4 = view.port4;
    d.webVersion = view.webVersion;
    d.appVersion = view.appVersion;
    d.adapter = *view.adapter;
    d.source = view.source;
    d.protocols = view.protocols;
    d.hardware = view.hardware;
    d.location = view.location;
    d.serviceUrl = view.serviceUrl;
    d.endpoint = view.endpoint;
    d.xaddrs = view.xaddrs;
    d.sentFrom = view.sentFrom;
    d.claims = view.claims;
    if (view.details != nullptr) {
        d.details = *view.details;
    }
    PackedRecord::unpack(m_entries[index]->record(), d.record);
    return d;
}

std::string_view PackedDevices::record(std::size_t index) const {
    return m_entries[index]->record();
}

const AdapterRef& PackedDevices::adapter(std::size_t index) const {
    return m_adapters[m_entries[index]->adapter];
}

bool PackedDevices::setAdapter(std::size_t index, const AdapterRef& adapter) {
    try {
        const std::optional<uint16_t> number = adapterNumber(adapter);
        if (number) {
            m_entries[index]->adapter = *number;
        }
        return number.has_value();
    } catch (const std::bad_alloc&) {
        return false;
    }
}

void PackedDevices::replace(std::size_t index, const Device& device) {
    const PackedRecord record(device.record);
    const std::size_t size = entrySize(device, record);
    const std::optional<uint16_t> adapter = prepare(size, device.adapter);
    if (!adapter) {
        throw std::bad_alloc();
    }
    keepDetails(index, device.details);
    // A device that fits where it was stays there; else it is packed again at the end, and
    // once more bytes lie unused than are used, everything is packed afresh: a camera that
    // announces itself over and over must not grow the list without bound.
    Entry* old = m_entries[index];
    const std::size_t oldSize = old->size();
    if (size <= oldSize) {
        m_wasted += oldSize - size;
        m_entries[index] = pack(reinterpret_cast<std::byte*>(old), device, record, *adapter);
        return;
    }
    m_wasted += oldSize;
    m_entries[index] = pack(m_arena->take(size), device, record, *adapter);
    if (m_wasted > Arena::kBlock && 2 * m_wasted > m_arena->taken()) {
        compact();
    }
}

void PackedDevices::compact() {
    try {
        auto fresh = std::make_unique<Arena>();
        std::vector<Entry*> moved(m_entries.size());
        for (std::size_t i = 0; i < m_entries.size(); ++i) {
            const std::size_t size = m_entries[i]->size();
            fresh->reserve(size);
            moved[i] = reinterpret_cast<Entry*>(fresh->take(size));
            std::memcpy(static_cast<void*>(moved[i]), m_entries[i], size);
        }
        m_arena = std::move(fresh);
        m_entries = std::move(moved);
        m_wasted = 0;
    } catch (const std::bad_alloc&) {
        // Kept as it is: unused bytes are only memory.
    }
}

void PackedDevices::clear() {
    m_wasted = 0;
    m_arena.reset();
    m_entries = {};
    m_adapters = {};
    m_details = {};
}

} // namespace ondrel
