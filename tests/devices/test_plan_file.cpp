// Plan files from a table: good files as people and the CLI write them, and damaged ones,
// each refused whole with the line it was found on.

#include "devices/PlanFile.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using namespace ondrel;

namespace {

// A list as `ondrel-cli search --format csv` writes it: every column, a name with a comma
// and a quote, the IP column edited.
constexpr const char* kExported =
    "IP,NetMask,GateWay,DNS0,DNS1,HttpPort,Port2,Port3,Port4,Mac,DevId,IPMode,DevName,"
    "WebVersion,AppVersion,Adapter,SameSubnet\n"
    "192.168.0.101,255.255.255.0,192.168.0.1,192.168.0.1,,80,80,80,0,02:4F:4E:00:00:01,CAM1,0,"
    "\"Gate, \"\"north\"\"\",1.4.2,2.7.1,eCam,1\n"
    "192.168.0.102,255.255.255.0,192.168.0.1,192.168.0.1,,8080,80,80,0,02:4F:4E:00:00:02,CAM2,0,"
    "\" Yard \",1.4.2,2.7.1,eCam,1\n";

PlanRow row(std::size_t line, std::string mac, std::string ip, std::string mask = {},
            std::string gateway = {}, std::string dns = {}, std::string port = {}) {
    return {line,           std::move(mac), std::move(ip), std::move(mask), std::move(gateway),
            std::move(dns), std::move(port)};
}

PlanRow endpointRow(std::size_t line, std::string endpoint, std::string ip) {
    PlanRow r = row(line, {}, std::move(ip));
    r.endpoint = std::move(endpoint);
    return r;
}

struct GoodCase {
    const char* name;
    std::string text;
    std::vector<PlanRow> rows;
};

TEST(PlanFile, Reads) {
    const GoodCase cases[] = {
        {"an exported list",
         kExported,
         {row(2, "02:4F:4E:00:00:01", "192.168.0.101", "255.255.255.0", "192.168.0.1",
              "192.168.0.1", "80"),
          row(3, "02:4F:4E:00:00:02", "192.168.0.102", "255.255.255.0", "192.168.0.1",
              "192.168.0.1", "8080")}},
        {"the two columns, comments and blank lines",
         "# cameras of the yard\n\nMac,IP\n  # the first\n02:4F:4E:00:00:01,10.0.0.5\n\n",
         {row(5, "02:4F:4E:00:00:01", "10.0.0.5")}},
        {"names in any case, blanks around fields",
         "ip , MAC, httpport\n 10.0.0.5 ,\t02:4F:4E:00:00:01 , 81\n",
         {row(2, "02:4F:4E:00:00:01", "10.0.0.5", "", "", "", "81")}},
        {"Windows line ends and a byte-order mark",
         "\xEF\xBB\xBFMac,IP,DNS0\r\n02:4F:4E:00:00:01,10.0.0.5,\r\n",
         {row(2, "02:4F:4E:00:00:01", "10.0.0.5")}},
        {"quoted fields keep their blanks and commas",
         "Mac,IP,Note\n\"02:4F:4E:00:00:01\",\"10.0.0.5\",\"a, b\"\n",
         {row(2, "02:4F:4E:00:00:01", "10.0.0.5")}},
        {"no last line end",
         "Mac,IP\n02:4F:4E:00:00:01,10.0.0.5",
         {row(2, "02:4F:4E:00:00:01", "10.0.0.5")}},
        {"a header alone", "Mac,IP\n", {}},
        {"a camera without a MAC by its endpoint reference",
         "Mac,Endpoint,IP\n,urn:uuid:a1,10.0.0.5\n",
         {endpointRow(2, "urn:uuid:a1", "10.0.0.5")}},
    };
    for (const GoodCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PlanFileReading reading = PlanFile::parse(c.text);
        EXPECT_TRUE(reading.ok()) << describe(reading);
        EXPECT_EQ(reading.rows, c.rows);
    }
}

struct DamagedCase {
    const char* name;
    std::string text;
    PlanFileError error;
    std::size_t line;
    const char* described;
};

TEST(PlanFile, RefusesDamage) {
    const DamagedCase cases[] = {
        {"empty", "", PlanFileError::NoHeader, 0, "no header row"},
        {"comments only", "# nothing\n\n", PlanFileError::NoHeader, 0, "no header row"},
        {"no IP column", "Mac,DevName\n", PlanFileError::MissingColumn, 1, "no IP column"},
        {"no Mac column", "# plan\nIP\n", PlanFileError::MissingColumn, 2, "no Mac column"},
        {"a column twice", "Mac,IP,ip\n", PlanFileError::DuplicateColumn, 1, "IP is named twice"},
        {"a short row", "Mac,IP,HttpPort\n02:4F:4E:00:00:01,10.0.0.5,80\n02:4F:4E:00:00:02\n",
         PlanFileError::FieldCount, 3, "line 3: the row has 1 fields, the header 3"},
        {"a long row", "Mac,IP\n02:4F:4E:00:00:01,10.0.0.5,\n", PlanFileError::FieldCount, 2,
         "the row has 3 fields"},
        {"an unclosed quote", "Mac,IP\n\"02:4F:4E:00:00:01,10.0.0.5\n", PlanFileError::BadQuoting,
         2, "line 2: a quote"},
        {"text after a quote", "Mac,IP\n\"02:4F\"x,10.0.0.5\n", PlanFileError::BadQuoting, 2,
         "line 2"},
        {"a quote inside a bare field", "Mac,IP\n02\"4F,10.0.0.5\n", PlanFileError::BadQuoting, 2,
         "line 2"},
        {"a quoted header name split over lines", "\"Mac\nIP\"\n", PlanFileError::BadQuoting, 1,
         "line 1"},
        {"an empty MAC and endpoint", "Mac,IP,Endpoint\n,10.0.0.5,\n", PlanFileError::MissingValue,
         2, "the Mac field is empty"},
        {"an empty IP", "IP,Mac\n\"\",02:4F:4E:00:00:01\n", PlanFileError::MissingValue, 2,
         "the IP field is empty"},
        {"a NUL byte", std::string("Mac,IP\n02:4F:4E:00:00:01,10.0.0.5\0\n", 35),
         PlanFileError::ControlCharacter, 2, "control character"},
        {"a bare carriage return", "Mac,IP\r02:4F:4E:00:00:01,10.0.0.5\n",
         PlanFileError::ControlCharacter, 1, "line 1"},
        {"a line beyond the bound", "Mac,IP\n" + std::string(PlanFile::kMaxLineLength + 1, 'x'),
         PlanFileError::LineTooLong, 2, "longer than 4096"},
    };
    for (const DamagedCase& c : cases) {
        SCOPED_TRACE(c.name);
        const PlanFileReading reading = PlanFile::parse(c.text);
        EXPECT_EQ(reading.error, c.error);
        EXPECT_EQ(reading.line, c.line);
        EXPECT_TRUE(reading.rows.empty());
        EXPECT_NE(describe(reading).find(c.described), std::string::npos) << describe(reading);
    }
}

TEST(PlanFile, Bounds) {
    std::string text = "Mac,IP\n";
    for (std::size_t i = 0; i < PlanFile::kMaxRows; ++i) {
        text += "02:4F:4E:00:00:01,10.0.0.5\n";
    }
    const PlanFileReading full = PlanFile::parse(text);
    ASSERT_TRUE(full.ok());
    EXPECT_EQ(full.rows.size(), PlanFile::kMaxRows);
    EXPECT_EQ(full.rows.back().line, PlanFile::kMaxRows + 1);

    text += "02:4F:4E:00:00:01,10.0.0.5\n";
    const PlanFileReading over = PlanFile::parse(text);
    EXPECT_EQ(over.error, PlanFileError::TooManyRows);
    EXPECT_EQ(over.line, PlanFile::kMaxRows + 2);

    EXPECT_EQ(PlanFile::parse(std::string(PlanFile::kMaxBytes + 1, '#')).error,
              PlanFileError::TooLarge);
    // A line exactly at the bound is still a line.
    EXPECT_TRUE(PlanFile::parse("Mac,IP,Note\n02:4F:4E:00:00:01,10.0.0.5," +
                                std::string(PlanFile::kMaxLineLength - 27, 'n'))
                    .ok());
}

TEST(PlanFile, Loads) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("ondrel-plan-" + std::to_string(::getpid()) + ".csv");
    {
        std::ofstream out(path);
        out << kExported;
    }
    const PlanFileReading reading = PlanFile::load(path.string());
    std::filesystem::remove(path);
    ASSERT_TRUE(reading.ok()) << describe(reading);
    EXPECT_EQ(reading.rows.size(), 2u);

    const PlanFileReading missing = PlanFile::load(path.string());
    EXPECT_EQ(missing.error, PlanFileError::Unreadable);
    EXPECT_NE(describe(missing).find("cannot be read"), std::string::npos);
}

} // namespace
