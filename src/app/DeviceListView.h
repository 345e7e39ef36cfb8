#pragma once
// The device list's table view beyond what MainWindow.ui says of it: its columns (widths, the
// ones a first run hides, the header's menu to show others) and the chosen rows as text.

#include <QModelIndexList>
#include <QString>

class QPoint;
class QTableView;

namespace ondrel {

namespace DeviceListView {

// Widths for the texts devices send, the columns a first run shows, a header that sorts, and
// a list at least as wide as its shown columns.
void setUpColumns(QTableView& list);

// The header's menu at pos (the header's coordinates): a check box per column; the last shown
// column cannot be hidden.
void showColumnMenu(QTableView& list, const QPoint& pos);

// The rows as tab-separated text, a header line first: the shown columns in the order shown.
// Tabs and line breaks in device texts become spaces, so that every row stays one line.
QString rowsAsText(const QTableView& list, const QModelIndexList& rows);

} // namespace DeviceListView

} // namespace ondrel
