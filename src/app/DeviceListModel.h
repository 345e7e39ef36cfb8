#pragma once
// The rows of the device list: texts only, by row and column, in the order they were
// inserted. A model over a vector, so that the list stays quick with thousands of rows.

#include "discovery/DeviceInfo.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

namespace ondrel {

class DeviceListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit DeviceListModel(QObject* parent = nullptr);

    // Adds a column titled title at index (clamped to the end); returns its index.
    int InsertColumn(int index, const QString& title);
    // Adds a row at index (clamped to the end) whose column 0 holds text; returns its index.
    int InsertItem(int index, const QString& text);
    // Appends several rows at once, each a list of column texts.
    void AppendItems(const std::vector<QStringList>& rows);
    // Appends one row per device: its row number ("%i"), DevName and Mac.
    void AppendDevices(const std::vector<DeviceInfo>& devices);
    bool SetItemText(int row, int column, const QString& text);
    QString GetItemText(int row, int column) const;
    int GetItemCount() const { return static_cast<int>(m_rows.size()); }
    void DeleteAllItems();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QStringList m_titles;
    std::vector<QStringList> m_rows;
};

} // namespace ondrel
