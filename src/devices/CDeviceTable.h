#pragma once
// The inventory of devices that answered: a chain of entries in arrival order, owned by the
// table and guarded by one recursive lock. Replies are added on the endpoint's receive thread;
// clears and lookups come from the user-interface thread.
//
// The table never calls out of itself, so its lock is never held across a call into another
// thread. Callers that need several operations to appear as one may hold DeviceLock() around
// them, but must not wait on another thread while they hold it.
//
// Entry pointers handed out stay valid only until the next Clear(). The one reference that
// outlives a user action, the entry an outstanding update was built from, is kept by the
// table itself (SetPending) so that a clear can forget it.
//
// Any host on the LAN can send replies, so the table holds at most kMaxDevices entries per
// search (between two clears); replies beyond that are counted, never stored.

#include "CMyAutoLock.h"
#include "CMyLock.h"
#include "DeviceEntry.h"

#include "core/AdapterRef.h"

#include <cstddef>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace ondrel {

enum class AddOutcome {
    Ignored,     // no record given
    Repeat,      // a stored record equals it in all 252 bytes, from the same adapter
    Relocated,   // a repeat from another adapter: the stored entry now names that one
    Added,       // linked at the tail
    Full,        // kMaxDevices entries already: counted in Overflow(), not stored
    OutOfMemory, // no memory for the entry: the table is unchanged
};

// A stored device as a caller gets it: the record and the adapter it last answered on.
struct DeviceCopy {
    DeviceInfo record;
    AdapterRef adapter;
};

class CDeviceTable {
public:
    static constexpr std::size_t kMaxDevices = 65536;

    CDeviceTable() = default;
    ~CDeviceTable();
    CDeviceTable(const CDeviceTable&) = delete;
    CDeviceTable& operator=(const CDeviceTable&) = delete;

    // Copies the record into a new entry at the tail unless it is an exact repeat. True only
    // when an entry was linked: the caller adds a list row exactly then. A repeat that arrived
    // on another (known) adapter moves the stored entries to it.
    bool AddDevice(const DeviceInfo* record, const AdapterRef& adapter = {});
    AddOutcome Add(const DeviceInfo* record, const AdapterRef& adapter = {});

    // Frees every entry, forgets (and wipes) the pending update and resets Overflow().
    void Clear();

    // The first entry in arrival order whose Mac equals mac byte for byte (the field's text up
    // to its NUL). Its record (and, if asked, its adapter) is copied out under the lock; the
    // outputs are left untouched when nothing matches.
    const DeviceEntry* FindDeviceByMac(std::string_view mac, DeviceInfo& out,
                                       AdapterRef* adapter = nullptr) const;

    std::size_t Count() const;
    // Replies of new devices ignored since the last Clear because the table was full.
    std::size_t Overflow() const;

    // The entry that arrived index-th (from 0), or null past the last; valid until the next
    // Clear(). A list row and its device are the same entry this way, even when two entries
    // share a MAC.
    const DeviceEntry* Entry(std::size_t index) const;

    // Copies of the records from arrival index `from` on, in arrival order. A view model calls
    // this with its own row count to fetch only what arrived since it last looked.
    std::vector<DeviceInfo> Snapshot(std::size_t from = 0) const;
    // The same with each entry's adapter.
    std::vector<DeviceCopy> SnapshotWithAdapters(std::size_t from = 0) const;

    // Whether entry is one of the current entries (a pointer from before a clear is not).
    bool Contains(const DeviceEntry* entry) const;

    // Remembers the entry an update was built from and the record to write into it should the
    // device accept. False, and nothing pending, when entry is not in the table.
    bool SetPending(const DeviceEntry* entry, const DeviceInfo& settings);
    // Writes the remembered record into the pending entry, without its account and password
    // (the table must not keep them: a later query would carry them), and forgets it. False,
    // writing nothing, when nothing is pending (never set, already applied, forgotten or
    // cleared).
    bool ApplyPending();
    void ForgetPending();
    bool HasPending() const;

    CMyLock& DeviceLock() const { return m_lock; }

private:
    struct RecordHash {
        std::size_t operator()(std::string_view bytes) const noexcept;
    };
    static std::string_view Bytes(const DeviceInfo& record);
    void WipePending();

    mutable CMyLock m_lock;
    DeviceEntry* m_head = nullptr;
    // Arrival order by index; the back is the tail of the chain.
    std::vector<DeviceEntry*> m_entries;
    // The bytes of every stored record, viewed in place, so that a repeat is found without
    // walking the chain. A multimap because an accepted update can make two records equal.
    std::unordered_multimap<std::string_view, DeviceEntry*, RecordHash> m_records;
    std::size_t m_overflow = 0;
    DeviceEntry* m_pendingEntry = nullptr;
    DeviceInfo m_pendingSettings{};
};

} // namespace ondrel
