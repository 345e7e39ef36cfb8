#include "PackedDevices.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace ondrel {

namespace {

// The texts of a device, in the order an entry keeps them.
constexpr std::size_t kTexts = 10;
constexpr std::size_t kAddresses = 5;

template <typename Device, typename Visit> void forEachText(Device& d, Visit visit) {
    visit(d.name);
    visit(d.mac);
    visit(d.id);
    visit(d.ip.text);
    visit(d.netMask.text);
    visit(d.gateway.text);
    visit(d.dns0.text);
    visit(d.dns1.text);
    visit(d.webVersion);
    visit(d.appVersion);
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

// The length of the run of zero bytes, or of other bytes, from at.
std::size_t run(const WireRecord& record, std::size_t at, bool zeros) {
    std::size_t n = 0;
    while (at + n < record.size() && (record[at + n] == std::byte{0}) == zeros) {
        ++n;
    }
    return n;
}

} // namespace

// A run of zeros, a run of other bytes, and so on: each run's length in a byte, then the other
// bytes.
PackedRecord::PackedRecord(const WireRecord& record) {
    for (std::size_t at = 0; at < record.size();) {
        const std::size_t zeros = run(record, at, true);
        const std::size_t others = run(record, at + zeros, false);
        m_bytes[m_size++] = static_cast<char>(zeros);
        m_bytes[m_size++] = static_cast<char>(others);
        std::memcpy(m_bytes.data() + m_size, record.data() + at + zeros, others);
        m_size += others;
        at += zeros + others;
    }
}

void PackedRecord::unpack(std::string_view packed, WireRecord& record) {
    std::size_t at = 0;
    for (std::size_t from = 0; from + 1 < packed.size();) {
        const auto zeros = static_cast<unsigned char>(packed[from]);
        const auto others = static_cast<unsigned char>(packed[from + 1]);
        std::memset(record.data() + at, 0, zeros);
        std::memcpy(record.data() + at + zeros, packed.data() + from + 2, others);
        at += zeros + others;
        from += 2 + others;
    }
}

// A device as it is kept. Its texts follow it in the arena, then its packed record, which only
// repeats and requests read: what a list shows of a device lies in its first cache lines.
struct PackedDevices::Entry {
    uint32_t textEnds[kTexts]; // where each text ends, counted from the first
    uint32_t addresses[kAddresses];
    uint16_t ports[4];
    uint16_t adapter;      // in m_adapters
    uint8_t addressesRead; // bit n: addresses[n] is the address the text reads as
    uint8_t dhcp;
    uint16_t recordSize;

    static std::size_t sizeFor(std::size_t textLength, std::size_t recordSize) {
        return sizeof(Entry) + textLength + recordSize;
    }
    std::size_t size() const { return sizeFor(textEnds[kTexts - 1], recordSize); }
    const char* texts() const { return reinterpret_cast<const char*>(this + 1); }
    char* texts() { return reinterpret_cast<char*>(this + 1); }
    std::string_view record() const { return {texts() + textEnds[kTexts - 1], recordSize}; }
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
        m_used += (size + alignof(Entry) - 1) / alignof(Entry) * alignof(Entry);
        return at;
    }

private:
    std::vector<std::unique_ptr<std::byte[]>> m_blocks;
    std::size_t m_used = 0;
    std::size_t m_room = 0;
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

std::optional<uint16_t> PackedDevices::prepare(std::size_t textLength, std::size_t recordSize,
                                               const AdapterRef& adapter) {
    if (textLength > UINT32_MAX) {
        return std::nullopt;
    }
    try {
        const std::optional<uint16_t> number = adapterNumber(adapter);
        if (number) {
            if (!m_arena) {
                m_arena = std::make_unique<Arena>();
            }
            m_arena->reserve(Entry::sizeFor(textLength, recordSize));
            if (m_entries.size() == m_entries.capacity()) {
                m_entries.reserve(std::max<std::size_t>(64, 2 * m_entries.capacity()));
            }
        }
        return number;
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

PackedDevices::Entry* PackedDevices::pack(const Device& device, const PackedRecord& record,
                                          uint16_t adapter) {
    const std::string_view packed = record.bytes();
    auto* entry = new (m_arena->take(Entry::sizeFor(textLength(device), packed.size()))) Entry{};
    std::size_t end = 0;
    std::size_t n = 0;
    forEachText(device, [&](const std::string& text) {
        std::memcpy(entry->texts() + end, text.data(), text.size());
        end += text.size();
        entry->textEnds[n++] = static_cast<uint32_t>(end);
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
    entry->ports[0] = device.httpPort;
    entry->ports[1] = device.port2;
    entry->ports[2] = device.port3;
    entry->ports[3] = device.port4;
    entry->adapter = adapter;
    entry->dhcp = device.mode == AddressMode::Dhcp ? 1 : 0;
    return entry;
}

bool PackedDevices::push(const Device& device, const PackedRecord& record) {
    const std::optional<uint16_t> adapter =
        prepare(textLength(device), record.bytes().size(), device.adapter);
    if (!adapter) {
        return false;
    }
    m_entries.push_back(pack(device, record, *adapter));
    return true;
}

bool PackedDevices::push(const PackedDevices& other, std::size_t index) {
    const Entry& from = *other.m_entries[index];
    const std::optional<uint16_t> adapter =
        prepare(from.textEnds[kTexts - 1], from.recordSize, other.m_adapters[from.adapter]);
    if (!adapter) {
        return false;
    }
    // An entry holds no pointer: its bytes are the device wherever they lie.
    auto* entry = reinterpret_cast<Entry*>(m_arena->take(from.size()));
    std::memcpy(static_cast<void*>(entry), &from, from.size());
    entry->adapter = *adapter;
    m_entries.push_back(entry);
    return true;
}

DeviceView PackedDevices::operator[](std::size_t index) const {
    const Entry& e = *m_entries[index];
    DeviceView view;
    std::size_t begin = 0;
    std::size_t n = 0;
    forEachText(view, [&](std::string_view& text) {
        text = std::string_view(e.texts() + begin, e.textEnds[n] - begin);
        begin = e.textEnds[n++];
    });
    n = 0;
    forEachAddress(view, [&](AddressView& a) {
        if (e.addressesRead & (1u << n)) {
            a.value = Ipv4{e.addresses[n]};
        }
        ++n;
    });
    view.httpPort = e.ports[0];
    view.port2 = e.ports[1];
    view.port3 = e.ports[2];
    view.port4 = e.ports[3];
    view.mode = e.dhcp ? AddressMode::Dhcp : AddressMode::Static;
    view.adapter = &m_adapters[e.adapter];
    return view;
}

Device PackedDevices::device(std::size_t index) const {
    const DeviceView view = (*this)[index];
    Device d;
    d.name = view.name;
    d.mac = view.mac;
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
    // A rare change: the device is packed again at the end, its old bytes left unused.
    const PackedRecord record(device.record);
    const std::optional<uint16_t> adapter =
        prepare(textLength(device), record.bytes().size(), device.adapter);
    if (!adapter) {
        throw std::bad_alloc();
    }
    m_entries[index] = pack(device, record, *adapter);
}

void PackedDevices::clear() {
    m_arena.reset();
    m_entries = {};
    m_adapters = {};
}

} // namespace ondrel
