// The neighbour dump read from bytes as the kernel writes them; no socket is opened. The one
// question asked of the kernel by address is asked of this test's own network namespace (the
// test runs isolated, loopback only), on a veth pair it makes there: nothing is sent.

#include "netinfo/NeighbourTable.h"

#include <gtest/gtest.h>

#include <linux/neighbour.h>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>

#include <net/if.h>

#include <cstdlib>
#include <cstring>

using namespace ondrel;

namespace {

// Builds a datagram of netlink messages, aligned as the kernel aligns them.
class Datagram {
public:
    Datagram& neighbour(uint32_t seq, int ifindex, uint16_t state, std::vector<uint8_t> destination,
                        std::vector<uint8_t> link, uint8_t family = AF_INET) {
        std::vector<uint8_t> body(sizeof(ndmsg));
        ndmsg n{};
        n.ndm_family = family;
        n.ndm_ifindex = ifindex;
        n.ndm_state = state;
        std::memcpy(body.data(), &n, sizeof n);
        attribute(body, NDA_DST, destination);
        if (!link.empty()) {
            attribute(body, NDA_LLADDR, link);
        }
        return message(RTM_NEWNEIGH, seq, body);
    }
    Datagram& done(uint32_t seq) { return message(NLMSG_DONE, seq, std::vector<uint8_t>(4)); }
    Datagram& error(uint32_t seq, int code) {
        std::vector<uint8_t> body(sizeof(nlmsgerr));
        std::memcpy(body.data(), &code, sizeof code);
        return message(NLMSG_ERROR, seq, body);
    }
    Datagram& message(uint16_t type, uint32_t seq, const std::vector<uint8_t>& body) {
        nlmsghdr h{};
        h.nlmsg_len = static_cast<uint32_t>(sizeof h + body.size());
        h.nlmsg_type = type;
        h.nlmsg_seq = seq;
        const auto* raw = reinterpret_cast<const uint8_t*>(&h);
        bytes.insert(bytes.end(), raw, raw + sizeof h);
        bytes.insert(bytes.end(), body.begin(), body.end());
        bytes.resize((bytes.size() + 3) & ~std::size_t{3});
        return *this;
    }

    std::vector<uint8_t> bytes;

private:
    static void attribute(std::vector<uint8_t>& body, uint16_t type,
                          const std::vector<uint8_t>& payload) {
        rtattr a{};
        a.rta_len = static_cast<uint16_t>(sizeof a + payload.size());
        a.rta_type = type;
        const auto* raw = reinterpret_cast<const uint8_t*>(&a);
        body.insert(body.end(), raw, raw + sizeof a);
        body.insert(body.end(), payload.begin(), payload.end());
        body.resize((body.size() + 3) & ~std::size_t{3});
    }
};

const std::vector<uint8_t> kMac = {0x02, 0x4f, 0x4e, 0x00, 0x00, 0x01};

Neighbour entry(uint32_t ifindex, const char* address, uint16_t state, std::string link) {
    return {ifindex, *parseIpv4(address), state, std::move(link)};
}

struct DumpCase {
    const char* name;
    std::vector<uint8_t> bytes;
    DumpPart part;
    std::vector<Neighbour> entries;
    int error = 0;
};

TEST(NeighbourTable, ParsesDump) {
    std::vector<uint8_t> truncated =
        Datagram().neighbour(1, 3, NUD_REACHABLE, {192, 168, 0, 64}, kMac).bytes;
    truncated.resize(truncated.size() - 4); // the message claims more than arrived
    std::vector<uint8_t> badAttribute =
        Datagram().neighbour(1, 3, NUD_REACHABLE, {192, 168, 0, 64}, {}).bytes;
    badAttribute[sizeof(nlmsghdr) + sizeof(ndmsg)] = 0xFF; // an attribute longer than its message

    const DumpCase cases[] = {
        {"entries, then more to come",
         Datagram()
             .neighbour(1, 3, NUD_REACHABLE, {192, 168, 0, 64}, kMac)
             .neighbour(1, 3, NUD_INCOMPLETE, {192, 168, 0, 65}, {})
             .bytes,
         DumpPart::More,
         {entry(3, "192.168.0.64", NUD_REACHABLE, "02:4f:4e:00:00:01"),
          entry(3, "192.168.0.65", NUD_INCOMPLETE, "")}},
        {"the end of the dump",
         Datagram().neighbour(1, 2, NUD_STALE, {10, 0, 0, 1}, kMac).done(1).bytes,
         DumpPart::Done,
         {entry(2, "10.0.0.1", NUD_STALE, "02:4f:4e:00:00:01")}},
        {"IPv6 entries are not ours",
         Datagram()
             .neighbour(1, 2, NUD_REACHABLE, std::vector<uint8_t>(16, 0xfe), kMac, AF_INET6)
             .done(1)
             .bytes,
         DumpPart::Done,
         {}},
        {"another request's messages",
         Datagram().neighbour(7, 2, NUD_REACHABLE, {10, 0, 0, 1}, kMac).done(7).bytes,
         DumpPart::More,
         {}},
        {"the kernel refuses", Datagram().error(1, -EPERM).bytes, DumpPart::Error, {}, EPERM},
        {"a message cut short", truncated, DumpPart::Malformed, {}},
        {"an attribute past its message", badAttribute, DumpPart::Malformed, {}},
        {"a header cut short", {0x10, 0x00, 0x00}, DumpPart::Malformed, {}},
        {"a length below the header", Datagram().done(1).bytes, DumpPart::Done, {}},
    };
    for (const DumpCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<Neighbour> out;
        const DumpReading reading = NeighbourTable::parseDump(c.bytes, 1, out);
        EXPECT_EQ(reading.part, c.part);
        EXPECT_EQ(reading.error, c.error);
        if (c.part != DumpPart::Malformed) {
            EXPECT_EQ(out, c.entries);
        }
    }
    std::vector<uint8_t> tooShort = Datagram().done(1).bytes;
    tooShort[0] = 8; // nlmsg_len below the header's own size
    std::vector<Neighbour> out;
    EXPECT_EQ(NeighbourTable::parseDump(tooShort, 1, out).part, DumpPart::Malformed);
}

TEST(NeighbourTable, StatesThatHoldAnAddress) {
    const struct {
        uint16_t state;
        bool holds;
    } cases[] = {
        {NUD_REACHABLE, true}, {NUD_STALE, true},       {NUD_DELAY, true},
        {NUD_PROBE, true},     {NUD_PERMANENT, true},   {NUD_NOARP, true},
        {NUD_FAILED, false},   {NUD_INCOMPLETE, false}, {NUD_NONE, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(neighbourHoldsAddress(c.state), c.holds) << c.state;
    }
}

} // namespace

TEST(NeighbourTable, FindAnswersForOneAddressAsTheTableHoldsIt) {
    // Only in a namespace of our own, whose one adapter is loopback: the veth is ours to make
    // there, and gone with it. Anywhere else the PC's own adapters are left alone.
    struct if_nameindex* names = if_nameindex();
    std::size_t adapters = 0;
    for (const struct if_nameindex* n = names; n != nullptr && n->if_index != 0; ++n) {
        ++adapters;
    }
    if_freenameindex(names);
    if (adapters != 1 ||
        std::system("ip link add name ondrelva type veth peer name ondrelvb 2>/dev/null") != 0) {
        GTEST_SKIP() << "no veth can be made here (run isolated, as scripts/test does)";
    }
    ASSERT_EQ(std::system("ip link set dev ondrelva up && ip addr add 10.9.0.1/24 dev ondrelva && "
                          "ip neigh add 10.9.0.7 lladdr 02:00:00:00:00:07 dev ondrelva"),
              0);
    const uint32_t ifindex = if_nametoindex("ondrelva");
    const struct {
        uint32_t ifindex;
        const char* address;
        const char* link; // nullptr: no entry
    } rows[] = {
        {ifindex, "10.9.0.7", "02:00:00:00:00:07"},
        {ifindex, "10.9.0.8", nullptr},
        {if_nametoindex("lo"), "10.9.0.7", nullptr},
    };
    for (const auto& row : rows) {
        const NeighbourTable::Lookup found =
            NeighbourTable::find(row.ifindex, *parseIpv4(row.address));
        EXPECT_EQ(found.error, "") << row.address;
        ASSERT_EQ(found.entry.has_value(), row.link != nullptr) << row.address;
        if (row.link != nullptr) {
            EXPECT_EQ(found.entry->linkAddress, row.link);
            EXPECT_TRUE(neighbourHoldsAddress(found.entry->state));
        }
    }
    static_cast<void>(std::system("ip link del dev ondrelva"));
}
