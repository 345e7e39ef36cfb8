#pragma once
// The list's columns by the English header a user finds them under, so that a test names the
// column it means and keeps meaning it whatever columns are added.

#include "devices/DeviceFields.h"

#include <string_view>

namespace ondrel::testing {

// The column under header, or -1 when the list has none.
inline int ColumnOf(std::string_view header) {
    for (int column = 0; column < listColumnCount(); ++column) {
        if (listColumn(column).column.header == header) {
            return column;
        }
    }
    return -1;
}

} // namespace ondrel::testing
