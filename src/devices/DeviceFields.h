#pragma once
// A device's fields in one table: the columns of the window's list and the fields of the
// export (the CLI's CSV and JSON, the window's "Save list..."). A row may be a column, an
// export field or both, so that a new column or field is one row here, and for a column one
// header text for the translators.
//
// Rows come in the export's order, which scripts read by position: a new field is appended.
// Columns carry numbers of their own, which the window's settings file keeps: a new column
// takes the next one.

#include "devices/DeviceView.h"

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>
#include <string_view>

namespace ondrel {

// One field of one device: a text, a number, or both (an address: the text it was sent as and
// the number it reads as). Small enough to travel by value through a sort of thousands.
struct FieldValue {
    static constexpr uint64_t kNoNumber = std::numeric_limits<uint64_t>::max();

    std::string_view text;
    uint64_t number = kNoNumber;

    bool hasNumber() const { return number != kNoNumber; }
};

// The list's order: numbers first, as numbers; then texts byte by byte with the case of ASCII
// letters ignored, the same for every locale. Zero when they sort alike.
int compareFieldValues(const FieldValue& a, const FieldValue& b);

// Which part of a field's value is shown and written.
enum class FieldKind {
    Text,    // the value's text; a JSON string
    Number,  // the value's number; none where the device's protocol does not report it
    Flag,    // the value's number, 0 or 1; JSON false or true
    Parties, // the devices that share the device's address, a JSON list (no reader)
    List,    // the value's text, words apart by single spaces; a JSON list of them
    Seconds, // a signed count of seconds (secondsValue); null where unknown
};

// A signed number of seconds as a field's number, in an order that sorts as the seconds do.
inline constexpr uint64_t kSecondsBias = uint64_t{1} << 62;
inline uint64_t secondsNumber(int64_t seconds) {
    return kSecondsBias + static_cast<uint64_t>(seconds);
}
inline int64_t secondsValue(uint64_t number) {
    return static_cast<int64_t>(number - kSecondsBias);
}

// A mark the list may show beside a column's text.
enum class FieldMark {
    None,
    OutsideSubnet,   // the device's address is outside its adapter's subnet
    AddressConflict, // another device on its LAN, or the PC, has its address
    Claimed,         // a second host claims the camera: no account goes to either
    ClockOff,        // the camera's clock is more than a minute away from the PC's
};

// A row's part as a column of the list.
struct ListColumn {
    int number = -1;              // its logical index; -1: not a column
    const char* header = nullptr; // English; the window translates it
    // English words the column shows for the value's number instead of the number itself.
    std::span<const char* const> words;
    const char* widthSample = nullptr; // a text it should show whole
    int minWidth = 0;                  // pixels, whatever the font
    bool shownByDefault = false;       // a first run shows it; the header's menu offers all
    bool searched = false;             // the filter looks in its text
    FieldMark mark = FieldMark::None;
};

struct DeviceField {
    std::string_view key; // the export's name; empty for a column only
    FieldKind kind = FieldKind::Text;
    // The field of the device that arrived index-th; null for Parties.
    FieldValue (*read)(const DeviceView& device, std::size_t index) = nullptr;
    ListColumn column;
};

// Every row, in the export's order.
std::span<const DeviceField> deviceFields();

// The list's columns: how many there are, and the row of each (0 <= number < the count).
// Column 0 is the arrival number, the order a first run sorts by.
int listColumnCount();
const DeviceField& listColumn(int number);

} // namespace ondrel
