#include "DeviceListProxy.h"

#include "DeviceListModel.h"

#include "devices/DeviceFields.h"

namespace ondrel {

DeviceListProxy::DeviceListProxy(DeviceListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(source);
    setSortRole(DeviceListModel::kSortRole);
}

void DeviceListProxy::setFilterText(const QString& text) {
    if (text == m_filter) {
        return;
    }
    m_filter = text;
    invalidateRowsFilter();
}

int DeviceListProxy::sourceRow(int row) const {
    return mapToSource(index(row, 0)).row();
}

bool DeviceListProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // The values under the sort role, read as they are.
    const int order = compareFieldValues(m_source->sortValue(left), m_source->sortValue(right));
    // Equal keys keep the order of arrival, so that a sort is the same every time.
    return order != 0 ? order < 0 : left.row() < right.row();
}

bool DeviceListProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_filter.isEmpty() || sourceParent.isValid()) {
        return true;
    }
    const QAbstractItemModel* source = sourceModel();
    for (int column = 0; column < listColumnCount(); ++column) {
        if (listColumn(column).column.searched && source->index(sourceRow, column)
                                                      .data(Qt::DisplayRole)
                                                      .toString()
                                                      .contains(m_filter, Qt::CaseInsensitive)) {
            return true;
        }
    }
    return false;
}

} // namespace ondrel
