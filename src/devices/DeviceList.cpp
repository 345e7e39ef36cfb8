#include "DeviceList.h"

#include "discovery/DeviceRecord.h"
#include "wsd/WsDiscovery.h"

#include <algorithm>
#include <functional>
#include <new>
#include <tuple>

namespace ondrel {

namespace {

// The camera's own fields, which a joined row gains beside our reply's.
Device withCamera(Device reply, const Device& camera) {
    reply.protocols = Protocols::Both;
    reply.hardware = camera.hardware;
    reply.location = camera.location;
    reply.serviceUrl = camera.serviceUrl;
    reply.endpoint = camera.endpoint;
    reply.xaddrs = camera.xaddrs;
    reply.sentFrom = camera.sentFrom;
    reply.claims = camera.claims;
    return reply;
}

Device withoutCamera(Device joined) {
    Device reply = withCamera(std::move(joined), Device{});
    reply.protocols = Protocols::Native;
    return reply;
}

bool sameAdapter(const AdapterRef& a, const AdapterRef& b) {
    return a.ifindex == b.ifindex;
}

// Whether the two say the same of the device, the adapter they came by aside.
bool sameAnswer(const Device& a, const Device& b) {
    const auto fields = [](const Device& d) {
        return std::tie(d.name, d.mac, d.id, d.ip, d.netMask, d.gateway, d.dns0, d.dns1, d.mode,
                        d.httpPort, d.port2, d.port3, d.port4, d.webVersion, d.appVersion, d.record,
                        d.protocols, d.hardware, d.location, d.serviceUrl, d.endpoint, d.xaddrs,
                        d.sentFrom, d.claims);
    };
    return fields(a) == fields(b);
}

// The hosts a camera's message advertises, in order: its XAddrs' IPv4 hosts.
std::vector<uint32_t> advertisedHosts(const Device& camera) {
    std::vector<uint32_t> hosts;
    std::string_view rest = camera.xaddrs;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        if (const std::optional<wsd::XaddrHost> host = wsd::ipv4Host(rest.substr(0, end))) {
            hosts.push_back(host->ip.bits);
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    std::sort(hosts.begin(), hosts.end());
    return hosts;
}

// The hosts that claim the listed camera: its one sender, or each that claimed it.
std::vector<std::string> claimantsOf(const Device& listed) {
    std::vector<std::string> hosts;
    std::string_view rest = listed.claims.empty() ? listed.sentFrom : listed.claims;
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find(' '), rest.size());
        hosts.emplace_back(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return hosts;
}

// Whether the answer comes from a host other than the camera's and says the camera is elsewhere:
// one camera's answers on two adapters, or from another of its own addresses, say the same.
bool claimsAnother(const Device& listed, const Device& camera) {
    if (listed.sentFrom.empty() || camera.sentFrom.empty()) {
        return false;
    }
    const std::vector<std::string> hosts = claimantsOf(listed);
    return std::find(hosts.begin(), hosts.end(), camera.sentFrom) == hosts.end() &&
           advertisedHosts(camera) != advertisedHosts(listed);
}

uint32_t hashOf(std::string_view packedRecord) {
    return static_cast<uint32_t>(std::hash<std::string_view>{}(packedRecord));
}

} // namespace

template <typename Visit>
void DeviceList::forEachSameRecord(std::string_view record, Visit visit) const {
    if (m_index.empty()) {
        return;
    }
    const uint32_t hash = hashOf(record);
    const std::size_t mask = m_index.size() - 1;
    for (std::size_t slot = hash & mask; m_index[slot].at != 0; slot = (slot + 1) & mask) {
        const std::size_t at = m_index[slot].at - 1;
        if (m_index[slot].hash == hash && m_devices.record(at) == record) {
            visit(at);
        }
    }
}

void DeviceList::index(std::size_t at, uint32_t hash) {
    const std::size_t mask = m_index.size() - 1;
    std::size_t slot = hash & mask;
    while (m_index[slot].at != 0) {
        slot = (slot + 1) & mask;
    }
    m_index[slot] = {hash, static_cast<uint32_t>(at + 1)};
}

void DeviceList::reindex(std::size_t slots) {
    std::vector<Slot> old(slots);
    m_index.swap(old);
    for (const Slot& s : old) {
        if (s.at != 0) {
            index(s.at - 1, s.hash);
        }
    }
}

bool DeviceList::reserveIndex() {
    // Never more than half full, so that a look-up meets a free slot soon.
    try {
        if (2 * (size() + 1) > m_index.size()) {
            reindex(std::max<std::size_t>(64, 2 * m_index.size()));
        }
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

template <typename Reply, typename Take>
DeviceList::AddOutcome DeviceList::add(std::string_view record, const AdapterRef& adapter,
                                       Reply reply, Take take) {
    bool repeat = false;
    bool moved = false;
    bool back = false;
    forEachSameRecord(record, [&](std::size_t at) {
        repeat = true;
        // A reply that names no adapter (fed in by hand) never hides the known one.
        if (adapter.known() && !(m_devices.adapter(at) == adapter) && moveRow(at, adapter)) {
            moved = true;
        }
        back = clearLeft(at) || back;
    });
    if (repeat) {
        return back ? AddOutcome::Merged : moved ? AddOutcome::Relocated : AddOutcome::Repeat;
    }
    if (m_joins) {
        if (const std::optional<Join> join = cameraToJoin(reply().view())) {
            return joinReply(*join, reply().device());
        }
    }
    if (size() >= kMaxDevices) {
        ++m_overflow;
        return AddOutcome::Full;
    }
    // Room in the index first, so that the list takes the device whole or not at all.
    if (!reserveIndex() || !take()) {
        return AddOutcome::OutOfMemory;
    }
    index(size() - 1, hashOf(record));
    if (m_joins) {
        try {
            indexForCameras(size() - 1);
            const AdapterRef via = m_devices.adapter(size() - 1);
            partAt(via, m_devices[size() - 1].ip.value, size() - 1);
        } catch (const std::bad_alloc&) {
            // Listed all the same; only a join with a camera may be missed.
        }
    }
    return AddOutcome::Added;
}

DeviceList::AddOutcome DeviceList::add(const Device& device) {
    const PackedRecord record(device.record);
    struct Reply {
        const Device& d;
        DeviceView view() const { return d; }
        Device device() const { return d; }
    };
    return add(
        record.bytes(), device.adapter, [&] { return Reply{device}; },
        [&] { return m_devices.push(device, record); });
}

bool DeviceList::addAll(std::vector<Device>&& replies) {
    m_changedInPlace = false;
    for (const Device& reply : replies) {
        const AddOutcome outcome = add(reply);
        m_changedInPlace =
            m_changedInPlace || outcome == AddOutcome::Relocated || outcome == AddOutcome::Merged;
    }
    return std::exchange(m_changedInPlace, false);
}

bool DeviceList::addAll(const PackedDevices& replies) {
    m_changedInPlace = false;
    struct Reply {
        const PackedDevices& batch;
        std::size_t i;
        DeviceView view() const { return batch[i]; }
        Device device() const { return batch.device(i); }
    };
    for (std::size_t i = 0; i < replies.size(); ++i) {
        const AddOutcome outcome = add(
            replies.record(i), replies.adapter(i),
            [&] {
                return Reply{replies, i};
            },
            [&] { return m_devices.push(replies, i); });
        m_changedInPlace =
            m_changedInPlace || outcome == AddOutcome::Relocated || outcome == AddOutcome::Merged;
    }
    return std::exchange(m_changedInPlace, false);
}

void DeviceList::clear() {
    m_devices.clear();
    m_index = {};
    m_joins.reset();
    m_overflow = 0;
    ++m_generation;
}

DeviceList::AddOutcome DeviceList::addCamera(const Device& answer) {
    Device camera = answer;
    camera.protocols = Protocols::Onvif;
    camera.record = {}; // nothing is sent to a camera by our protocol
    try {
        if (!m_joins) {
            auto joins = std::make_unique<JoinIndex>();
            for (std::size_t i = 0; i < size(); ++i) {
                joins->add(i, m_devices[i]);
            }
            m_joins = std::move(joins);
        }
        if (const std::optional<std::size_t> at = m_joins->endpointRow(camera.endpoint)) {
            return addListedCamera(*at, camera);
        }
        if (const std::optional<Join> join = replyToJoin(camera)) {
            // A join by MAC goes before one by address: the camera that had the row by its
            // address alone takes a row of its own.
            if (m_joins->joinedByAddress.contains(join->row) && !part(join->row)) {
                ++m_overflow;
                return AddOutcome::Full;
            }
            return joinCamera(*join, camera);
        }
        if (size() >= kMaxDevices) {
            ++m_overflow;
            return AddOutcome::Full;
        }
        if (!m_devices.push(camera)) {
            return AddOutcome::OutOfMemory;
        }
        m_joins->add(size() - 1, m_devices[size() - 1]);
        partAt(camera.adapter, camera.ip.value, size() - 1);
        return AddOutcome::Added;
    } catch (const std::bad_alloc&) {
        return AddOutcome::OutOfMemory;
    }
}

bool DeviceList::addCameras(std::vector<Device>&& cameras) {
    m_changedInPlace = false;
    for (const Device& camera : cameras) {
        const AddOutcome outcome = addCamera(camera);
        m_changedInPlace =
            m_changedInPlace || outcome == AddOutcome::Relocated || outcome == AddOutcome::Merged;
    }
    return std::exchange(m_changedInPlace, false);
}

DeviceList::AddOutcome DeviceList::addListedCamera(std::size_t at, const Device& camera) {
    const Device listed = device(at);
    if (claimsAnother(listed, camera)) {
        return addClaim(at, listed, camera.sentFrom);
    }
    if (!listed.claims.empty() || camera.announced) {
        // Only a search in which one host alone answers tells which is the camera; a Hello
        // says no more than that someone is there.
        return clearLeft(at) ? AddOutcome::Merged : AddOutcome::Repeat;
    }
    Device next;
    if (listed.protocols == Protocols::Onvif) {
        next = camera;
        // What its device service said stays until a search clears the list: a match says
        // nothing of it.
        next.details = listed.details;
        if (listed.details.networkRead) {
            next.netMask = listed.netMask;
            next.gateway = listed.gateway;
            next.dns0 = listed.dns0;
            next.dns1 = listed.dns1;
            next.mode = listed.mode;
        }
    } else {
        next = withCamera(listed, camera);
        if (const auto joined = m_joins->joinedByAddress.find(at);
            joined != m_joins->joinedByAddress.end()) {
            joined->second = camera;
        }
    }
    // As a reply that names no adapter, a camera fed in by hand never hides the known one.
    next.adapter = camera.adapter.known() ? camera.adapter : listed.adapter;
    const bool back = clearLeft(at);
    if (!sameAnswer(next, listed)) {
        replaceRow(at, next);
        if (!(next.ip == listed.ip) || !sameAdapter(next.adapter, listed.adapter)) {
            partAt(next.adapter, next.ip.value, at);
        }
        return AddOutcome::Merged;
    }
    if (!(next.adapter == listed.adapter) && moveRow(at, next.adapter)) {
        return back ? AddOutcome::Merged : AddOutcome::Relocated;
    }
    return back ? AddOutcome::Merged : AddOutcome::Repeat;
}

DeviceList::AddOutcome DeviceList::addClaim(std::size_t at, const Device& listed,
                                            const std::string& claimant) {
    std::vector<std::string> hosts = claimantsOf(listed);
    if (std::find(hosts.begin(), hosts.end(), claimant) != hosts.end()) {
        return AddOutcome::Repeat;
    }
    if (hosts.size() >= kMaxClaimants) {
        return AddOutcome::Repeat; // claimed already: a further host changes nothing of that
    }
    hosts.push_back(claimant);
    Device next = listed;
    next.claims.clear();
    for (const std::string& host : hosts) {
        next.claims += (next.claims.empty() ? "" : " ") + host;
    }
    replaceRow(at, next);
    return AddOutcome::Merged;
}

std::optional<DeviceList::Join> DeviceList::replyToJoin(const Device& camera) const {
    if (const std::optional<Mac>& mac = camera.mac.value) {
        for (const std::size_t row : m_joins->rowsWithMac(*mac)) {
            const DeviceView listed = m_devices[row];
            const bool open =
                listed.protocols == Protocols::Native || m_joins->joinedByAddress.contains(row);
            if (open && sameAdapter(*listed.adapter, camera.adapter)) {
                return Join{row, false};
            }
        }
        return std::nullopt;
    }
    if (!camera.ip.value) {
        return std::nullopt;
    }
    const std::vector<std::size_t> there =
        m_joins->rowsAt(camera.adapter.ifindex, camera.ip.value->bits, 2);
    if (there.size() == 1 && m_devices[there[0]].protocols == Protocols::Native) {
        return Join{there[0], true};
    }
    return std::nullopt;
}

std::optional<DeviceList::Join> DeviceList::cameraToJoin(const DeviceView& reply) const {
    if (const std::optional<Mac>& mac = reply.mac.value) {
        for (const std::size_t row : m_joins->rowsWithMac(*mac)) {
            const DeviceView listed = m_devices[row];
            if (listed.onvifOnly() && sameAdapter(*listed.adapter, *reply.adapter)) {
                return Join{row, false};
            }
        }
    }
    if (!reply.ip.value) {
        return std::nullopt;
    }
    const std::vector<std::size_t> there =
        m_joins->rowsAt(reply.adapter->ifindex, reply.ip.value->bits, 2);
    if (there.size() == 1) {
        const DeviceView listed = m_devices[there[0]];
        if (listed.onvifOnly() && !listed.mac.value) {
            return Join{there[0], true};
        }
    }
    return std::nullopt;
}

DeviceList::AddOutcome DeviceList::joinReply(const Join& join, const Device& reply) {
    const Device camera = device(join.row);
    if (!reserveIndex()) {
        return AddOutcome::OutOfMemory;
    }
    try {
        if (join.byAddress) {
            m_joins->joinedByAddress[join.row] = camera;
        }
        replaceRow(join.row, withCamera(reply, camera));
    } catch (const std::bad_alloc&) {
        m_joins->joinedByAddress.erase(join.row);
        return AddOutcome::OutOfMemory;
    }
    index(join.row, hashOf(m_devices.record(join.row)));
    clearLeft(join.row);
    return AddOutcome::Merged;
}

DeviceList::AddOutcome DeviceList::joinCamera(const Join& join, const Device& camera) {
    if (join.byAddress) {
        m_joins->joinedByAddress[join.row] = camera;
    }
    replaceRow(join.row, withCamera(device(join.row), camera));
    return AddOutcome::Merged;
}

bool DeviceList::part(std::size_t row) {
    const auto joined = m_joins->joinedByAddress.find(row);
    if (size() >= kMaxDevices || !m_devices.push(joined->second)) {
        return false;
    }
    const std::size_t camera = size() - 1;
    m_joins->joinedByAddress.erase(joined);
    replaceRow(row, withoutCamera(device(row)));
    m_joins->add(camera, m_devices[camera]);
    if (const auto left = m_joins->left.find(row); left != m_joins->left.end()) {
        m_joins->left.emplace(camera, left->second);
        m_joins->left.erase(left);
    }
    m_changedInPlace = true;
    return true;
}

void DeviceList::partAt(const AdapterRef& adapter, std::optional<Ipv4> ip, std::size_t except) {
    if (!ip) {
        return;
    }
    std::vector<std::size_t> rows;
    for (const auto& [row, camera] : m_joins->joinedByAddress) {
        const DeviceView listed = m_devices[row];
        if (row != except && listed.ip.value == ip && sameAdapter(*listed.adapter, adapter)) {
            rows.push_back(row);
        }
    }
    for (const std::size_t row : rows) {
        part(row);
    }
}

void DeviceList::replaceRow(std::size_t at, const Device& device) {
    if (!m_joins) {
        m_devices.replace(at, device);
        return;
    }
    unindexForCameras(at);
    try {
        m_devices.replace(at, device);
    } catch (...) {
        indexForCameras(at);
        throw;
    }
    indexForCameras(at);
}

bool DeviceList::moveRow(std::size_t at, const AdapterRef& adapter) {
    try {
        unindexForCameras(at);
        const bool moved = m_devices.setAdapter(at, adapter);
        indexForCameras(at);
        return moved;
    } catch (const std::bad_alloc&) {
        return false; // moved or not, only a later join may miss it
    }
}

void DeviceList::indexForCameras(std::size_t at) {
    if (m_joins) {
        m_joins->add(at, m_devices[at]);
    }
}

void DeviceList::unindexForCameras(std::size_t at) {
    if (m_joins) {
        m_joins->remove(at, m_devices[at]);
    }
}

bool DeviceList::clearLeft(std::size_t at) {
    return m_joins && m_joins->left.erase(at) > 0;
}

std::optional<std::size_t> DeviceList::markLeft(std::string_view endpoint, TimePoint at) {
    const std::optional<std::size_t> row = findEndpoint(endpoint);
    if (row) {
        try {
            m_joins->left[*row] = at;
        } catch (const std::bad_alloc&) {
            return std::nullopt;
        }
    }
    return row;
}

std::optional<DeviceList::TimePoint> DeviceList::leftAt(std::size_t index) const {
    if (!m_joins) {
        return std::nullopt;
    }
    const auto it = m_joins->left.find(index);
    return it != m_joins->left.end() ? std::optional(it->second) : std::nullopt;
}

std::optional<std::size_t> DeviceList::findEndpoint(std::string_view endpoint) const {
    return m_joins && !endpoint.empty() ? m_joins->endpointRow(endpoint) : std::nullopt;
}

std::optional<std::size_t> DeviceList::findMac(const Mac& mac) const {
    for (std::size_t i = 0; i < size(); ++i) {
        if (m_devices[i].mac.value == mac) {
            return i;
        }
    }
    return std::nullopt;
}

bool DeviceList::takeDetails(std::size_t at, const Device& read) {
    if (at >= size()) {
        return false;
    }
    try {
        replaceRow(at, read);
        return true;
    } catch (const std::bad_alloc&) {
        return false; // the row stays as it was: only its details are missing
    }
}

void DeviceList::applyAccepted(std::size_t at, const NetworkSettings& sent) {
    // A camera found by WS-Discovery alone is never sent settings.
    if (at >= size() || m_devices[at].onvifOnly()) {
        return;
    }
    Device device = this->device(at);
    applyAcceptedSettings(device, sent);
    replaceRow(at, device);
    // Its record changed: the index is made anew from every record.
    std::fill(m_index.begin(), m_index.end(), Slot{});
    for (std::size_t i = 0; i < size(); ++i) {
        if (!m_devices[i].onvifOnly()) {
            index(i, hashOf(m_devices.record(i)));
        }
    }
}

} // namespace ondrel
