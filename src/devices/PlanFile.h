#pragma once
// A plan written out by hand: which device (by MAC, or a camera without one by its endpoint
// reference) gets which address. The file is CSV with a
// header row naming its columns as `ondrel-cli search --format csv` writes them, so that an
// exported list with its IP column edited is a plan as it stands:
//
//   Mac, IP              required; Endpoint may stand in for Mac (a row gives either)
//   NetMask, GateWay,    optional; an empty or missing value keeps the device's own
//   DNS0, HttpPort
//   anything else        ignored
//
// Column names are matched without regard to case. A field may be quoted ("..."), a quote
// inside doubled; blanks around an unquoted field are dropped. Blank lines and lines starting
// with '#' are skipped; a row is one line (the CLI never writes a line break inside a field).
//
// The file comes from anywhere, so it is read within bounds and any damage refuses the whole
// file with the line it was found on: a plan half read would send half a plan.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ondrel {

struct PlanRow {
    std::size_t line = 0; // where the row stands in its file, from 1
    std::string mac;
    std::string ip;
    std::string netMask; // empty: not given
    std::string gateway;
    std::string dns0;
    std::string httpPort;
    std::string endpoint{}; // a camera without a MAC; empty: not given

    bool operator==(const PlanRow&) const = default;
};

enum class PlanFileError {
    None,
    Unreadable,       // the file could not be opened or read
    TooLarge,         // more than kMaxBytes
    NoHeader,         // nothing but blanks and comments
    LineTooLong,      // a line beyond kMaxLineLength
    TooManyRows,      // more than kMaxRows
    ControlCharacter, // a control byte (a binary file, or a line break of another system)
    BadQuoting,       // an unterminated quote, or text after a closing quote
    DuplicateColumn,  // the header names a column twice (detail: the column)
    MissingColumn,    // the header lacks IP, or both Mac and Endpoint (detail: the column)
    FieldCount,       // a row with more or fewer fields than the header
    MissingValue,     // a row with an empty IP, or neither Mac nor Endpoint (detail: the column)
};

struct PlanFileReading {
    PlanFileError error = PlanFileError::None;
    std::size_t line = 0; // where the damage is, from 1; 0 for the whole file
    std::string detail;
    std::size_t fields = 0;  // FieldCount: the row's fields
    std::size_t columns = 0; // FieldCount: the header's
    std::vector<PlanRow> rows;

    bool ok() const { return error == PlanFileError::None; }
};

class PlanFile {
public:
    static constexpr std::size_t kMaxRows = 65536;
    static constexpr std::size_t kMaxLineLength = 4096;
    static constexpr std::size_t kMaxBytes = 16 * 1024 * 1024;

    static PlanFileReading parse(std::string_view text);
    static PlanFileReading load(const std::string& path);
};

// "line 7: the row has 3 fields, the header 5", in English, for the CLI.
std::string describe(const PlanFileReading& reading);

} // namespace ondrel
