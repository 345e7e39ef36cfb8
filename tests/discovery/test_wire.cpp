#include "discovery/CPacket.h"
#include "discovery/ReplyParser.h"
#include "discovery/SetNetConfig.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace ondrel;

namespace {

std::string Bytes(const uint8_t* p, int32_t n) {
    return std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(n));
}

DeviceInfo SampleRecord() {
    DeviceInfo d = zeroDeviceInfo();
    setField(d.IP, "192.168.1.88");
    setField(d.NetMask, "255.255.255.0");
    setField(d.GateWay, "192.168.1.1");
    setField(d.DNS0, "8.8.8.8");
    setField(d.DNS1, "8.8.4.4");
    d.HttpPort = 8080;
    setField(d.Mac, "00:11:22:33:44:55");
    setField(d.DevId, "Z6-000123");
    d.IPMode = 1;
    setField(d.DevName, "Front door");
    setField(d.User, "admin");
    setField(d.Password, "480271");
    return d;
}

} // namespace

TEST(Packet, SearchIsThe32ByteTextWhateverValueOrPayload) {
    CPacket p;
    int32_t len = -1;
    const uint8_t junk[4] = {1, 2, 3, 4};
    const uint8_t* out = p.Build(kCmdSearch, 77, junk, sizeof junk, len);
    ASSERT_EQ(len, 32);
    EXPECT_EQ(Bytes(out, len), "IPCamSearch\r\nVersion:1\r\nnSeq:1\r\n");
    EXPECT_EQ(p.m_buffer[32], 0); // no NUL is part of the datagram, the rest stays zero
}

TEST(Packet, DeviceQueryHasHeaderThenRecord) {
    const DeviceInfo rec = SampleRecord();
    CPacket p;
    int32_t len = 0;
    const uint8_t* out =
        p.Build(kCmdQuery2, 0, reinterpret_cast<const uint8_t*>(&rec), sizeof rec, len);
    ASSERT_EQ(len, 260);
    const std::vector<uint8_t> header(out, out + 8);
    EXPECT_EQ(header, (std::vector<uint8_t>{0x10, 0x10, 0x12, 0x0F, 0x00, 0x00, 0xFC, 0x00}));
    EXPECT_EQ(std::memcmp(out + 8, &rec, sizeof rec), 0);
}

TEST(Packet, OversizedPayloadIsRefusedNotOverrun) {
    std::vector<uint8_t> big(kMaxPayload + 1, 0xAB);
    CPacket p;
    int32_t len = 99;
    EXPECT_EQ(p.Build(kCmdQuery1, 0, big.data(), static_cast<uint16_t>(big.size()), len), nullptr);
    EXPECT_EQ(len, 0);
    std::vector<uint8_t> max(kMaxPayload, 0xCD);
    EXPECT_NE(p.Build(kCmdQuery1, 0, max.data(), static_cast<uint16_t>(max.size()), len), nullptr);
    EXPECT_EQ(len, 4096);
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
    rec.IPMode = 0;
    rec.HttpPort = 65535;
    std::memset(rec.DevId, 'X', sizeof rec.DevId); // no NUL inside the field
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
