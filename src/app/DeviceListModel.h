#pragma once
// The devices that answered, as the rows of the list: the model owns the DeviceList, so that
// rows and devices always change together. Row n is the device that arrived n-th, so the row a
// user picks is the very device that is shown, queried, updated and browsed, also when two
// rows share a MAC.
//
// A device whose address lies outside the subnet of the adapter it answered on is marked: a
// warning icon beside its adapter and a tooltip that says why the browser cannot reach it.
// The mark is a hint only; nothing is refused because of it.

#include "devices/DeviceList.h"

#include <QAbstractTableModel>

#include <vector>

namespace ondrel {

class DeviceListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, NameColumn, MacColumn, AdapterColumn, ColumnCount };

    explicit DeviceListModel(QObject* parent = nullptr);

    // Adds a batch of replies: new devices become rows in one insertion, and rows whose
    // device moved to another adapter are drawn again.
    void addReplies(std::vector<Device>&& replies);
    void clear();
    // Devices changed in place (an accepted update): every row is drawn again.
    void refresh();

    // The list itself, for the update flow that writes an accepted update into it.
    DeviceList& devices() { return m_list; }
    const DeviceList& devices() const { return m_list; }
    // The device of a row, or null off the rows.
    const Device* device(int row) const;

    // Why the browser cannot reach the device from this PC, or empty when it can (or when the
    // adapter it answered on is not known, or it reports no address).
    static QString subnetHint(const Device& device);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(const Device& device, int row, int column) const;

    DeviceList m_list;
    // The rows the views know of: the list grows before the model announces its new rows.
    int m_rows = 0;
};

} // namespace ondrel
