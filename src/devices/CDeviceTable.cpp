#include "CDeviceTable.h"

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

bool CDeviceTable::AddDevice(const DeviceInfo* record) {
    return Add(record) == AddOutcome::Added;
}

AddOutcome CDeviceTable::Add(const DeviceInfo* record) {
    if (record == nullptr) {
        return AddOutcome::Ignored;
    }
    CMyAutoLock hold(m_lock);
    if (m_records.find(Bytes(*record)) != m_records.end()) {
        return AddOutcome::Repeat;
    }
    auto* entry = new (std::nothrow) DeviceEntry;
    if (entry == nullptr) {
        return AddOutcome::OutOfMemory;
    }
    std::memset(entry, 0, sizeof *entry);
    std::memcpy(&entry->record, record, sizeof entry->record);
    // Both indexes must take the entry or neither does, or a clear would free it twice or
    // never.
    try {
        m_entries.push_back(entry);
        try {
            m_records.insert(Bytes(entry->record));
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
    m_pendingEntry = nullptr;
}

const DeviceEntry* CDeviceTable::FindDeviceByMac(std::string_view mac, DeviceInfo& out) const {
    CMyAutoLock hold(m_lock);
    for (const DeviceEntry* entry = m_head; entry != nullptr; entry = entry->next) {
        if (FieldText(entry->record.Mac) == mac) {
            std::memcpy(&out, &entry->record, sizeof out);
            return entry;
        }
    }
    return nullptr;
}

std::size_t CDeviceTable::Count() const {
    CMyAutoLock hold(m_lock);
    return m_entries.size();
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
    // The index views the record's bytes in place: take its node out while the bytes still
    // hash as before, and put it back once they hold the new record. Reusing the node keeps
    // this free of allocation.
    const auto [first, last] = m_records.equal_range(Bytes(entry->record));
    for (auto it = first; it != last; ++it) {
        if (it->data() == reinterpret_cast<const char*>(&entry->record)) {
            auto node = m_records.extract(it);
            std::memcpy(&entry->record, &m_pendingSettings, sizeof entry->record);
            m_records.insert(std::move(node));
            return true;
        }
    }
    std::memcpy(&entry->record, &m_pendingSettings, sizeof entry->record);
    return true;
}

void CDeviceTable::ForgetPending() {
    CMyAutoLock hold(m_lock);
    m_pendingEntry = nullptr;
}

bool CDeviceTable::HasPending() const {
    CMyAutoLock hold(m_lock);
    return m_pendingEntry != nullptr;
}

} // namespace ondrel
