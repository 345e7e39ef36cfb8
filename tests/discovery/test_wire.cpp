#include "discovery/DeviceRecord.h"
#include "discovery/Framing.h"
#include "discovery/ReplyParser.h"
#include "discovery/SetNetConfig.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <span>
#include <string>
#include <vector>

using namespace ondrel;

namespace {

std::string Bytes(const uint8_t* p, int32_t n) {
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

DeviceInfo SampleRecord() {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.ip, "192.168.1.88");
    setField(d.netMask, "255.255.255.0");
    setField(d.gateway, "192.168.1.1");
    setField(d.dns0, "8.8.8.8");
    setField(d.dns1, "8.8.4.4");
    d.httpPort = 8080;
    setField(d.mac, "00:11:22:33:44:55");
    setField(d.devId, "Z6-000123");
    d.ipMode = 1;
    setField(d.devName, "Front door");
    setField(d.user, "admin");
    setField(d.password, "480271");
    return d;
}

} // namespace

TEST(Frame, SearchIsThe32ByteTextWhateverValueOrPayload) {
    const uint8_t junk[4] = {1, 2, 3, 4};
    const std::optional<Frame> f = frameRequest(kCmdSearch, junk, 77);
    ASSERT_TRUE(f);
    ASSERT_EQ(f->length, 32u);
    EXPECT_EQ(Bytes(f->bytes.data(), 32), "IPCamSearch\r\nVersion:1\r\nnSeq:1\r\n");
    EXPECT_EQ(f->bytes[32], 0); // no NUL is part of the datagram, the rest stays zero
}

TEST(Frame, DeviceQueryHasHeaderThenRecord) {
    const DeviceInfo rec = SampleRecord();
    const std::optional<Frame> f = frameRequest(
        kCmdQuery2, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&rec), sizeof rec));
    ASSERT_TRUE(f);
    ASSERT_EQ(f->length, 260u);
    const std::vector<uint8_t> header(f->bytes.begin(), f->bytes.begin() + 8);
    EXPECT_EQ(header, (std::vector<uint8_t>{0x10, 0x10, 0x12, 0x0F, 0x00, 0x00, 0xFC, 0x00}));
    EXPECT_EQ(std::memcmp(f->bytes.data() + 8, &rec, sizeof rec), 0);
}

TEST(Frame, OversizedPayloadIsRefusedNotOverrun) {
    std::vector<uint8_t> big(kMaxPayload + 1, 0xAB);
    EXPECT_FALSE(frameRequest(kCmdQuery1, big));
    std::vector<uint8_t> max(kMaxPayload, 0xCD);
    const std::optional<Frame> f = frameRequest(kCmdQuery1, max);
    ASSERT_TRUE(f);
    EXPECT_EQ(f->length, 4096u);
}

// The value a record decodes to gives the same record back, so a query carries exactly what
// the device sent; settings and an accepted update rewrite only what they name.
TEST(DeviceRecord, RoundTripSettingsAndAcceptance) {
    DeviceInfo rec = SampleRecord();
    setField(rec.user, "");
    setField(rec.password, "");
    Device device = deviceFromRecord(rec);
    EXPECT_EQ(std::memcmp(&rec, device.record.data(), sizeof rec), 0);
    EXPECT_EQ(device.mode, AddressMode::Dhcp); // IPMode 1 as decoded

    const NetworkSettings sent{AddressMode::Static, "10.1.2.3", "255.0.0.0",
                               "10.0.0.1",          "9.9.9.9",  81};
    const Credentials credentials("admin", "480271");
    const DeviceInfo request = settingsRecord(device, sent, credentials);
    EXPECT_EQ(request.ipMode, 1); // sent the other way round: 1 is fixed
    EXPECT_EQ(fieldText(request.ip), "10.1.2.3");
    EXPECT_EQ(fieldText(request.dns1), "8.8.4.4"); // the device's own
    EXPECT_EQ(fieldText(request.password), "480271");
    // Every byte outside the fields written keeps the device's value.
    struct Range {
        std::size_t offset, size;
    } written[] = {
        {offsetof(DeviceInfo, ip), 64}, // IP, NetMask, GateWay, DNS0
        {offsetof(DeviceInfo, httpPort), 2},
        {offsetof(DeviceInfo, ipMode), 1},
        {offsetof(DeviceInfo, user), 49}, // User, Password
    };
    const auto* after = reinterpret_cast<const unsigned char*>(&request);
    for (std::size_t i = 0; i < sizeof(DeviceInfo); ++i) {
        bool inWritten = false;
        for (const Range& r : written) {
            inWritten = inWritten || (i >= r.offset && i < r.offset + r.size);
        }
        if (!inWritten) {
            EXPECT_EQ(after[i], static_cast<unsigned char>(device.record[i])) << "byte " << i;
        }
    }
    // Texts are cut to their field's width.
    const DeviceInfo cut =
        settingsRecord(device, sent, Credentials{std::string(30, 'u'), std::string(30, 'p')});
    EXPECT_EQ(fieldText(cut.user), std::string(23, 'u'));
    EXPECT_EQ(fieldText(cut.password), std::string(24, 'p'));

    applyAcceptedSettings(device, sent);
    const DeviceInfo stored = recordOf(device);
    EXPECT_EQ(stored.ipMode, 0); // kept as a reply would decode it
    EXPECT_EQ(device.mode, AddressMode::Static);
    EXPECT_EQ(device.ip.value, Ipv4{0x0A010203});
    EXPECT_EQ(device.httpPort, 81);
    EXPECT_EQ(stored.port2.get(), 0); // only the HTTP port changes
    EXPECT_EQ(fieldText(stored.user), "");
    EXPECT_EQ(fieldText(stored.password), "");
    EXPECT_EQ(fieldText(stored.devName), "Front door");
}

TEST(SetNetConfig, FullTextByteForByte) {
    SetConfigBuffer buf;
    const std::size_t n = composeSetNetConfig(SampleRecord(), buf);
    const std::string expected = "IPCamSetNetConfig\r\nVersion:1\r\nnSeq:1\r\nDevId:Z6-000123\r\n"
                                 "IPMethod:1\r\nIP:192.168.1.88\r\nPort:8080\r\n"
                                 "NetMask:255.255.255.0\r\nGateWay:192.168.1.1\r\nDNS0:8.8.8.8\r\n"
                                 "DNS1:8.8.4.4\r\nusr:admin\r\npwd:480271\r\nSetWiFiIP:0\r\n\r\n";
    ASSERT_EQ(n, expected.size());
    EXPECT_EQ(std::string(buf.data(), n), expected);
    for (std::size_t i = n; i < buf.size(); ++i) {
        ASSERT_EQ(buf[i], 0) << i;
    }
}

TEST(SetNetConfig, AutomaticAddressingAndFieldsWithoutNul) {
    DeviceInfo rec = SampleRecord();
    rec.ipMode = 0;
    rec.httpPort = 65535;
    std::memset(rec.devId, 'X', sizeof rec.devId); // no NUL inside the field
    SetConfigBuffer buf;
    const std::string text(buf.data(), composeSetNetConfig(rec, buf));
    EXPECT_NE(text.find("\r\nIPMethod:0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nPort:65535\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nDevId:" + std::string(20, 'X') + "\r\nIPMethod"), std::string::npos);
}

struct ClassifyCase {
    const char* name;
    std::string text;
    ReplyKind kind;
    uint16_t result;
};

// Keeps the case's name, not its bytes, in the test's listing.
void PrintTo(const ClassifyCase& c, std::ostream* os) {
    *os << c.name;
}

class Classify : public ::testing::TestWithParam<ClassifyCase> {};

TEST_P(Classify, ByRulesInOrder) {
    const ClassifyCase& c = GetParam();
    const ReplyClass got = classifyReply(c.text);
    EXPECT_EQ(got.kind, c.kind);
    if (c.kind == ReplyKind::SetConfigResult) {
        EXPECT_EQ(got.result, c.result);
    }
}

namespace {
std::string WithTail(std::size_t valueChars) {
    return "DevName:cam\r\nAppUpTime:" + std::string(valueChars, '7') + "\r\n\r\n";
}
} // namespace

INSTANTIATE_TEST_SUITE_P(
    Replies, Classify,
    ::testing::Values(
        ClassifyCase{"Tail23", WithTail(18), ReplyKind::Dropped, 0},
        ClassifyCase{"Tail24", WithTail(19), ReplyKind::SearchReply, 0},
        ClassifyCase{"Tail25", WithTail(20), ReplyKind::Dropped, 0},
        ClassifyCase{"Errcode0", "IPCamSetNetConfig\r\nerrcode:0\r\n", ReplyKind::SetConfigResult,
                     0},
        ClassifyCase{"Errcode1", "errcode:1\r\n", ReplyKind::SetConfigResult, 1},
        ClassifyCase{"Errcode10IsRefusal", "x errcode:10 y", ReplyKind::SetConfigResult, 1},
        ClassifyCase{"Errcode01IsAcceptance", "errcode:01", ReplyKind::SetConfigResult, 0},
        ClassifyCase{"BothAccepts", "errcode:1 errcode:0", ReplyKind::SetConfigResult, 0},
        ClassifyCase{"SearchReplyWithErrcode", "errcode:0\r\n" + WithTail(19),
                     ReplyKind::SearchReply, 0},
        ClassifyCase{"FailedTailHidesErrcode", "errcode:0\r\n" + WithTail(5), ReplyKind::Dropped,
                     0},
        ClassifyCase{"Nothing", "hello\r\n", ReplyKind::Dropped, 0},
        ClassifyCase{"Empty", "", ReplyKind::Dropped, 0},
        // 65560 characters after the key wrap to 24 as an unsigned 16-bit count.
        ClassifyCase{"TailCountWraps", "AppUpTime" + std::string(65536 + 24, 'a'),
                     ReplyKind::SearchReply, 0}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(replyText, StopsAtNulAndAtCount) {
    const uint8_t withNul[] = {'a', 'b', 0, 'c'};
    EXPECT_EQ(replyText(withNul, sizeof withNul), "ab");
    const uint8_t noNul[] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(replyText(noNul, 3), "abc");
    EXPECT_EQ(replyText(nullptr, 10), "");
}
