#pragma once
// The list as the user orders and narrows it: sorted by any column, filtered by a text. Row
// numbers of the view are the proxy's; whatever acts on a device maps its row to the source
// (the arrival index) first, so that the row the user clicks is still the device used.
//
// Comparisons and the filter read the devices themselves rather than the cells' texts: an
// address sorts as a number, a port as a number, and 10,000 rows sort without building a
// string per comparison.

#include <QSortFilterProxyModel>

namespace ondrel {

class DeviceListModel;

class DeviceListProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit DeviceListProxy(DeviceListModel* source, QObject* parent = nullptr);

    // Keeps the rows whose name, MAC, address or device id contain text, whatever its case;
    // an empty text keeps every row.
    void setFilterText(const QString& text);
    const QString& filterText() const { return m_filter; }

    // The arrival index of a row of this model, or -1.
    int sourceRow(int row) const;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    DeviceListModel* m_source;
    QString m_filter;
};

} // namespace ondrel
