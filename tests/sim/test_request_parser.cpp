#include "RequestParser.h"

#include "SimExpectations.h"
#include "discovery/Framing.h"
#include "discovery/SetNetConfig.h"

#include <gtest/gtest.h>

#include <string>

using namespace ondrel;
using namespace ondrel::sim;

namespace {

SimRequest ParseText(std::string_view text) {
    return RequestParser::parse(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

SimRequest ParseBytes(const std::vector<uint8_t>& bytes) {
    return RequestParser::parse(bytes.data(), bytes.size());
}

DeviceInfo SampleRecord() {
    DeviceInfo r = zeroDeviceInfo();
    setField(r.ip, "10.77.1.9");
    setField(r.netMask, "255.255.0.0");
    setField(r.gateway, "10.77.0.1");
    setField(r.dns0, "10.77.0.1");
    setField(r.dns1, "");
    r.httpPort = 8080;
    setField(r.devId, "SIM00000009");
    setField(r.mac, "02:4F:4E:00:00:09");
    setField(r.user, "admin");
    setField(r.password, "p:w d");
    r.ipMode = 1;
    return r;
}

} // namespace

TEST(RequestParser, TheToolsSearchIsASearch) {
    const std::optional<Frame> frame = frameRequest(kCmdSearch);
    const SimRequest r = RequestParser::parse(frame->bytes.data(), frame->length);
    EXPECT_EQ(r.kind, RequestKind::Search);
    EXPECT_EQ(r.command, "IPCamSearch");
    EXPECT_EQ(r.field("nSeq"), "1");
}

TEST(RequestParser, TheToolsSetRequestCarriesEveryField) {
    SetConfigBuffer buffer;
    const DeviceInfo record = SampleRecord();
    const std::size_t n = composeSetNetConfig(record, buffer);
    const SimRequest r = RequestParser::parse(reinterpret_cast<const uint8_t*>(buffer.data()), n);
    ASSERT_EQ(r.kind, RequestKind::SetConfig);
    const std::pair<const char*, const char*> want[] = {
        {"DevId", "SIM00000009"},   {"IPMethod", "1"},
        {"IP", "10.77.1.9"},        {"Port", "8080"},
        {"NetMask", "255.255.0.0"}, {"GateWay", "10.77.0.1"},
        {"DNS0", "10.77.0.1"},      {"DNS1", ""},
        {"usr", "admin"},           {"pwd", "p:w d"},
        {"SetWiFiIP", "0"},         {"nSeq", "1"}};
    for (const auto& [key, value] : want) {
        EXPECT_EQ(r.field(key), value) << key;
    }
}

TEST(RequestParser, TheToolsQueriesCarryTheRecord) {
    const DeviceInfo record = SampleRecord();
    for (uint16_t command : {kCmdQuery1, kCmdQuery2, kCmdQuery3}) {
        const std::optional<Frame> frame = frameRequest(
            command,
            std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(&record), sizeof record));
        const SimRequest r = RequestParser::parse(frame->bytes.data(), frame->length);
        ASSERT_EQ(r.kind, RequestKind::Query) << command;
        ASSERT_TRUE(r.header && r.record);
        EXPECT_EQ(r.header->command, command);
        EXPECT_EQ(r.header->value, 0);
        EXPECT_EQ(r.header->payloadLength, 252);
        EXPECT_TRUE(sameRecord(*r.record, record));
    }
}

TEST(RequestParser, OddDatagramsAreUnknown) {
    std::vector<uint8_t> query(260, 0);
    query[0] = query[1] = 0x10;
    query[2] = 0x0F;
    query[3] = 0x0F;
    query[6] = 252;
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        RequestKind want;
    } cases[] = {
        {"empty", {}, RequestKind::Unknown},
        {"markers only", {0x10, 0x10, 0x0F}, RequestKind::Unknown},
        {"binary search code", {0x10, 0x10, 0x01, 0x0F, 0, 0, 0, 0}, RequestKind::Unknown},
        {"query, big-endian code", {0x10, 0x10, 0x0F, 0x12, 0, 0, 0, 0}, RequestKind::Unknown},
        {"query without payload", {0x10, 0x10, 0x12, 0x0F, 0, 0, 0, 0}, RequestKind::Query},
        {"query, length field too big",
         {0x10, 0x10, 0x12, 0x0F, 0, 0, 4, 0, 1, 2},
         RequestKind::Unknown},
        {"whole query", query, RequestKind::Query},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseBytes(c.bytes).kind, c.want) << c.name;
    }
    EXPECT_FALSE(ParseBytes({0x10, 0x10, 0x12, 0x0F, 0, 0, 0, 0}).record) << "no record, no guess";

    struct TextCase {
        const char* name;
        std::string text;
        RequestKind want;
    } texts[] = {
        {"search without lines", "IPCamSearch", RequestKind::Search},
        {"search, LF only", "IPCamSearch\nVersion:1\n", RequestKind::Unknown},
        {"longer command word", "IPCamSearchReply\r\nVersion:1\r\n", RequestKind::Unknown},
        {"lower case", "ipcamsearch\r\n", RequestKind::Unknown},
        {"set result", "IPCamSetNetConfigReply\r\nerrcode:0\r\n\r\n", RequestKind::Unknown},
        {"NUL inside", std::string("IPCamSearch\r\n\0x", 15), RequestKind::Unknown},
        {"set request", "IPCamSetNetConfig\r\nDevId:X\r\n\r\n", RequestKind::SetConfig},
    };
    for (const TextCase& c : texts) {
        EXPECT_EQ(ParseText(c.text).kind, c.want) << c.name;
    }
}

TEST(RequestParser, SplitLines) {
    std::string first;
    const TextFields fields = RequestParser::splitLines(
        "Cmd\r\nA:1\r\nno colon\r\nB:x:y\r\nA:2\r\n:empty key\r\n\r\nC:after blank\r\n", first);
    EXPECT_EQ(first, "Cmd");
    const TextFields want = {{"A", "1"}, {"B", "x:y"}, {"A", "2"}, {"", "empty key"}};
    EXPECT_EQ(fields, want);

    SimRequest r;
    r.fields = fields;
    EXPECT_EQ(r.field("A"), "1") << "the first line with the key wins";
    EXPECT_FALSE(r.field("C"));

    EXPECT_TRUE(RequestParser::splitLines("", first).empty());
    EXPECT_EQ(first, "");
    EXPECT_EQ(RequestParser::splitLines("X\r\nK:unterminated", first),
              (TextFields{{"K", "unterminated"}}));
}
