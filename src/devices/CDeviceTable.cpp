#include "CDeviceTable.h"

#include "core/SecureWipe.h"

#include <cstring>
#include <functional>
#include <new>

namespace ondrel {

std::size_t CDeviceTable::RecordHash::operator()(std::string_view bytes) const noexcept {
    return std::hash<std::string_view>{}(bytes);
}

std::string_view CDeviceTable::Bytes(const DeviceInfo& record) {
    return std::string_view(reinterpret_cast<const char*>(&record), sizeof record);
}

CDeviceTable::~CDeviceTable() {
    Clear();
}

bool CDeviceTable::AddDevice(const DeviceInfo* record, const AdapterRef& adapter) {
    return Add(record, adapter) == AddOutcome::Added;
}

AddOutcome CDeviceTable::Add(const DeviceInfo* record, const AdapterRef& adapter) {
    if (record == nullptr) {
        return AddOutcome::Ignored;
    }
    CMyAutoLock hold(m_lock);
    const auto [first, last] = m_records.equal_range(Bytes(*record));
    if (first != last) {
        // A reply that names no adapter (fed in by hand) never hides the known one.
        bool moved = false;
        for (auto it = first; it != last; ++it) {
            if (adapter.Known() && !(it->second->adapter == adapter)) {
                it->second->adapter = adapter;
                moved = true;
            }
        }
        return moved ? AddOutcome::Relocated : AddOutcome::Repeat;
    }
    if (m_entries.size() >= kMaxDevices) {
        ++m_overflow;
        return AddOutcome::Full;
    }
    auto* entry = new (std::nothrow) DeviceEntry{};
    if (entry == nullptr) {
        return AddOutcome::OutOfMemory;
    }
    std::memcpy(&entry->record, record, sizeof entry->record);
    // Both indexes must take the entry or neither does, or a clear would free it twice or
    // never.
    try {
        entry->adapter = adapter;
        m_entries.push_back(entry);
        try {
            m_records.emplace(Bytes(entry->record), entry);
        } catch (const std::bad_alloc&) {
            m_entries.pop_back();
            throw;
        }
    } catch (const std::bad_alloc&) {
        delete entry;
        return AddOutcome::OutOfMemory;
    }
    if (m_head == nullptr) {
        m_head = entry;
    } else {
        m_entries[m_entries.size() - 2]->next = entry;
    }
    return AddOutcome::Added;
}

void CDeviceTable::Clear() {
    CMyAutoLock hold(m_lock);
    m_records.clear();
    for (DeviceEntry* entry = m_head; entry != nullptr;) {
        DeviceEntry* next = entry->next;
        delete entry;
        entry = next;
    }
    m_head = nullptr;
    m_entries.clear();
    m_overflow = 0;
    m_pendingEntry = nullptr;
    WipePending();
}

void CDeviceTable::WipePending() {
    SecureWipe(m_pendingSettings.User);
    SecureWipe(m_pendingSettings.Password);
}

std::size_t CDeviceTable::Overflow() const {
    CMyAutoLock hold(m_lock);
    return m_overflow;
}

const DeviceEntry* CDeviceTable::FindDeviceByMac(std::string_view mac, DeviceInfo& out,
                                                 AdapterRef* adapter) const {
    CMyAutoLock hold(m_lock);
    for (const DeviceEntry* entry = m_head; entry != nullptr; entry = entry->next) {
        if (FieldText(entry->record.Mac) == mac) {
            std::memcpy(&out, &entry->record, sizeof out);
            if (adapter != nullptr) {
                *adapter = entry->adapter;
            }
            return entry;
        }
    }
    return nullptr;
}

std::size_t CDeviceTable::Count() const {
    CMyAutoLock hold(m_lock);
    return m_entries.size();
}

const DeviceEntry* CDeviceTable::Entry(std::size_t index) const {
    CMyAutoLock hold(m_lock);
    return index < m_entries.size() ? m_entries[index] : nullptr;
}

std::vector<DeviceInfo> CDeviceTable::Snapshot(std::size_t from) const {
    CMyAutoLock hold(m_lock);
    std::vector<DeviceInfo> copies;
    if (from >= m_entries.size()) {
        return copies;
    }
    try {
        copies.reserve(m_entries.size() - from);
        for (std::size_t i = from; i < m_entries.size(); ++i) {
            copies.push_back(m_entries[i]->record);
        }
    } catch (const std::bad_alloc&) {
        copies.clear();
    }
    return copies;
}

std::vector<DeviceCopy> CDeviceTable::SnapshotWithAdapters(std::size_t from) const {
    CMyAutoLock hold(m_lock);
    std::vector<DeviceCopy> copies;
    if (from >= m_entries.size()) {
        return copies;
    }
    try {
        copies.reserve(m_entries.size() - from);
        for (std::size_t i = from; i < m_entries.size(); ++i) {
            copies.push_back({m_entries[i]->record, m_entries[i]->adapter});
        }
    } catch (const std::bad_alloc&) {
        copies.clear();
    }
    return copies;
}

bool CDeviceTable::Contains(const DeviceEntry* entry) const {
    if (entry == nullptr) {
        return false;
    }
    CMyAutoLock hold(m_lock);
    for (const DeviceEntry* stored : m_entries) {
        if (stored == entry) {
            return true;
        }
    }
    return false;
}

bool CDeviceTable::SetPending(const DeviceEntry* entry, const DeviceInfo& settings) {
    CMyAutoLock hold(m_lock);
    if (!Contains(entry)) {
        m_pendingEntry = nullptr;
        WipePending();
        return false;
    }
    // The chain owns the entry; the pointer handed out was const only to keep callers from
    // writing behind the lock.
    m_pendingEntry = const_cast<DeviceEntry*>(entry);
    m_pendingSettings = settings;
    return true;
}

bool CDeviceTable::ApplyPending() {
    CMyAutoLock hold(m_lock);
    if (m_pendingEntry == nullptr) {
        return false;
    }
    DeviceEntry* entry = m_pendingEntry;
    m_pendingEntry = nullptr;
    DeviceInfo settings = m_pendingSettings;
    WipePending();
    SecureWipe(settings.User);
    SecureWipe(settings.Password);
    // The index views the record's bytes in place: take its node out while the bytes still
    // hash as before, and put it back once they hold the new record. Reusing the node keeps
    // this free of allocation.
    const auto [first, last] = m_records.equal_range(Bytes(entry->record));
    for (auto it = first; it != last; ++it) {
        if (it->second == entry) {
            auto node = m_records.extract(it);
            std::memcpy(&entry->record, &settings, sizeof entry->record);
            node.key() = Bytes(entry->record);
            m_records.insert(std::move(node));
            return true;
        }
    }
    std::memcpy(&entry->record, &settings, sizeof entry->record);
    return true;
}

void CDeviceTable::ForgetPending() {
    CMyAutoLock hold(m_lock);
    m_pendingEntry = nullptr;
    WipePending();
}

bool CDeviceTable::HasPending() const {
    CMyAutoLock hold(m_lock);
    return m_pendingEntry != nullptr;
}

} // namespace ondrel
