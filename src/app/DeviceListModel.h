#pragma once
// The rows of the device list, one per device table entry in arrival order: row n is the
// entry that arrived n-th, so the row a user clicks is the very device that is shown, queried,
// updated and browsed, also when two rows share a MAC. The entries belong to the table; the
// window clears the model with the table.

#include "devices/DeviceEntry.h"

#include <QAbstractTableModel>

#include <vector>

namespace ondrel {

class DeviceListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, NameColumn, MacColumn, ColumnCount };

    explicit DeviceListModel(QObject* parent = nullptr);

    // Appends one row per entry, in one insertion.
    void AppendEntries(const std::vector<const DeviceEntry*>& entries);
    // A record changed in place (an accepted update): the rows are drawn again.
    void RefreshRows();
    void Clear();

    // The row's entry, or null off the rows.
    const DeviceEntry* Entry(int row) const;
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    // The text shown in a cell; empty off the rows.
    QString GetItemText(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<const DeviceEntry*> m_rows;
};

} // namespace ondrel
