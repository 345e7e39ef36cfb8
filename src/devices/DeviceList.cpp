#include "DeviceList.h"

#include "discovery/DeviceRecord.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <new>
#include <string_view>

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

// A record with its runs of zero bytes counted rather than kept: a record's fields are texts
// padded with zeros, so this takes about half of it. Each record has exactly one packed form,
// so two packed forms are equal exactly when their records are. It is a run of zeros, a run
// of other bytes, and so on: each run's length in a byte, then the other bytes.
class PackedRecord {
public:
    explicit PackedRecord(const WireRecord& record) {
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
    std::string_view bytes() const { return {m_bytes.data(), m_size}; }

    static void unpack(std::string_view packed, WireRecord& record) {
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

private:
    static std::size_t run(const WireRecord& record, std::size_t at, bool zero) {
        std::size_t n = 0;
        while (at + n < record.size() && (record[at + n] == std::byte{0}) == zero) {
            ++n;
        }
        return n;
    }

    // At worst every other byte is zero: three bytes for every two.
    std::array<char, std::tuple_size_v<WireRecord> * 3 / 2 + 2> m_bytes;
    std::size_t m_size = 0;
};

std::size_t hashOf(std::string_view packedRecord) {
    return std::hash<std::string_view>{}(packedRecord);
}

} // namespace

// A device as the list keeps it. Its texts follow it in the arena, then its packed record,
// which only repeats and requests read: what the list shows of a device lies in its first
// cache lines.
struct DeviceList::Entry {
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
    const char* texts() const { return reinterpret_cast<const char*>(this + 1); }
    char* texts() { return reinterpret_cast<char*>(this + 1); }
    std::string_view record() const { return {texts() + textEnds[kTexts - 1], recordSize}; }
};

// Memory handed out in order from large blocks that never move, so that entries cost no
// allocation of their own and a burst of them none that doubles.
class DeviceList::Arena {
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
    void clear() {
        m_blocks.clear();
        m_blocks.shrink_to_fit();
        m_used = 0;
        m_room = 0;
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

DeviceList::DeviceList() : m_arena(std::make_unique<Arena>()) {}

DeviceList::~DeviceList() = default;

DeviceList::Entry* DeviceList::pack(const Device& device, std::string_view record,
                                    uint16_t adapter) {
    auto* entry = new (m_arena->take(Entry::sizeFor(textLength(device), record.size()))) Entry{};
    std::size_t end = 0;
    std::size_t n = 0;
    forEachText(device, [&](const std::string& text) {
        std::memcpy(entry->texts() + end, text.data(), text.size());
        end += text.size();
        entry->textEnds[n++] = static_cast<uint32_t>(end);
    });
    std::memcpy(entry->texts() + end, record.data(), record.size());
    entry->recordSize = static_cast<uint16_t>(record.size());
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

DeviceView DeviceList::operator[](std::size_t index) const {
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

Device DeviceList::device(std::size_t index) const {
    const DeviceView view = (*this)[index];
    Device d;
    d.name = view.name;
    d.mac = view.mac;
    d.id = view.id;
    forEachAddress(d, [&, n = 0](ReportedAddress& a) mutable {
        const AddressView* from[] = {&view.ip, &view.netMask, &view.gateway, &view.dns0,
                                     &view.dns1};
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

std::optional<uint16_t> DeviceList::adapterNumber(const AdapterRef& adapter) {
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

template <typename Visit>
void DeviceList::forEachSameRecord(std::string_view record, Visit visit) const {
    if (m_index.empty()) {
        return;
    }
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = hashOf(record) & mask; m_index[slot] != 0; slot = (slot + 1) & mask) {
        const std::size_t at = m_index[slot] - 1;
        if (m_entries[at]->record() == record) {
            visit(*m_entries[at]);
        }
    }
}

void DeviceList::index(std::size_t at) {
    const std::size_t mask = m_index.size() - 1;
    std::size_t slot = hashOf(m_entries[at]->record()) & mask;
    while (m_index[slot] != 0) {
        slot = (slot + 1) & mask;
    }
    m_index[slot] = static_cast<uint32_t>(at + 1);
}

void DeviceList::reindex(std::size_t slots) {
    std::vector<uint32_t> fresh(slots, 0);
    m_index.swap(fresh);
    for (std::size_t at = 0; at < m_entries.size(); ++at) {
        index(at);
    }
}

DeviceList::AddOutcome DeviceList::add(const Device& device) {
    const PackedRecord record(device.record);
    bool repeat = false;
    bool moved = false;
    std::optional<uint16_t> adapter;
    try {
        forEachSameRecord(record.bytes(), [&](Entry& listed) {
            repeat = true;
            // A reply that names no adapter (fed in by hand) never hides the known one.
            if (device.adapter.Known() && !(m_adapters[listed.adapter] == device.adapter)) {
                adapter = adapter ? adapter : adapterNumber(device.adapter);
                if (adapter) {
                    listed.adapter = *adapter;
                    moved = true;
                }
            }
        });
        if (repeat) {
            return moved ? AddOutcome::Relocated : AddOutcome::Repeat;
        }
        if (m_entries.size() >= kMaxDevices) {
            ++m_overflow;
            return AddOutcome::Full;
        }
        // Everything that can fail comes first: the list takes the device whole or not at all.
        adapter = adapterNumber(device.adapter);
        if (!adapter) {
            return AddOutcome::OutOfMemory;
        }
        const std::size_t length = textLength(device);
        if (length > UINT32_MAX) {
            return AddOutcome::OutOfMemory;
        }
        m_arena->reserve(Entry::sizeFor(length, record.bytes().size()));
        if (m_entries.size() == m_entries.capacity()) {
            m_entries.reserve(std::max<std::size_t>(64, 2 * m_entries.capacity()));
        }
        // Never more than half full, so that a look-up meets a free slot soon.
        if (2 * (m_entries.size() + 1) > m_index.size()) {
            reindex(std::max<std::size_t>(64, 2 * m_index.size()));
        }
    } catch (const std::bad_alloc&) {
        return AddOutcome::OutOfMemory;
    }
    m_entries.push_back(pack(device, record.bytes(), *adapter));
    index(m_entries.size() - 1);
    return AddOutcome::Added;
}

bool DeviceList::addAll(std::vector<Device>&& replies) {
    bool moved = false;
    for (const Device& reply : replies) {
        moved = add(reply) == AddOutcome::Relocated || moved;
    }
    return moved;
}

void DeviceList::clear() {
    m_arena->clear();
    m_entries = {};
    m_adapters = {};
    m_index = {};
    m_overflow = 0;
    ++m_generation;
}

std::optional<std::size_t> DeviceList::findMac(std::string_view mac) const {
    for (std::size_t i = 0; i < size(); ++i) {
        if ((*this)[i].mac == mac) {
            return i;
        }
    }
    return std::nullopt;
}

void DeviceList::applyAccepted(std::size_t at, const NetworkSettings& sent) {
    if (at >= size()) {
        return;
    }
    Device device = this->device(at);
    applyAcceptedSettings(device, sent);
    // A rare change: the device is packed again at the arena's end, and the index made anew.
    const PackedRecord record(device.record);
    m_arena->reserve(Entry::sizeFor(textLength(device), record.bytes().size()));
    m_entries[at] = pack(device, record.bytes(), m_entries[at]->adapter);
    reindex(m_index.size());
}

} // namespace ondrel
