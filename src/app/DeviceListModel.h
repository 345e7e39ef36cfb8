#pragma once
// The rows of the device list, one per device table entry in arrival order: row n is the
// entry that arrived n-th, so the row a user clicks is the very device that is shown, queried,
// updated and browsed, also when two rows share a MAC. The entries belong to the table; the
// window clears the model with the table.
//
// A device whose address lies outside the subnet of the adapter it answered on is marked: a
// warning icon beside its adapter and a tooltip that says why the browser cannot reach it.
// The mark is a hint only; nothing is refused because of it.

#include "devices/DeviceEntry.h"

#include <QAbstractTableModel>

#include <vector>

namespace ondrel {

class DeviceListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, NameColumn, MacColumn, AdapterColumn, ColumnCount };

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
    // Why the browser cannot reach the device from this PC, or empty when it can (or when the
    // adapter it answered on is not known).
    static QString SubnetHint(const DeviceEntry& entry);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    std::vector<const DeviceEntry*> m_rows;
    // Computed once per row as it arrives, and again when records change in place.
    std::vector<QString> m_hints;
};

} // namespace ondrel
