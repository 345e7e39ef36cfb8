#pragma once
// The list as the user orders and narrows it: sorted by any column, filtered by a text. Row
// numbers of the view are the proxy's; whatever acts on a device maps its row to the source
// (the arrival index) first, so that the row the user clicks is still the device used.
//
// It sorts by the source's values under its sort role, which compare as numbers where they are
// (an address, a port) and as case-blind texts otherwise, without building a string per
// comparison; it filters on the texts of the columns the table of fields marks as searched.

#include <QSortFilterProxyModel>

namespace ondrel {

class DeviceListModel;

class DeviceListProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit DeviceListProxy(DeviceListModel* source, QObject* parent = nullptr);

    // Keeps the rows whose searched columns contain text, whatever its case; an empty text
    // keeps every row.
    void setFilterText(const QString& text);
    const QString& filterText() const { return m_filter; }

    // The arrival index of a row of this model, or -1.
    int sourceRow(int row) const;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
    bool filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const override;

private:
    const DeviceListModel* m_source;
    QString m_filter;
};

} // namespace ondrel
