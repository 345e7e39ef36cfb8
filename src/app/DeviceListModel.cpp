#include "DeviceListModel.h"

#include "Texts.h"

#include <QApplication>
#include <QStyle>

namespace ondrel {

namespace {

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DeviceListModel::addReplies(std::vector<Device>&& replies) {
    const bool moved = m_list.addAll(std::move(replies));
    if (moved) {
        refresh();
    }
    const int size = static_cast<int>(m_list.size());
    if (size > m_rows) {
        beginInsertRows({}, m_rows, size - 1);
        m_rows = size;
        endInsertRows();
    }
}

void DeviceListModel::clear() {
    beginResetModel();
    m_list.clear();
    m_rows = 0;
    endResetModel();
}

void DeviceListModel::refresh() {
    if (m_rows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, ColumnCount - 1));
    }
}

const Device* DeviceListModel::device(int row) const {
    return row >= 0 && row < m_rows ? m_list.at(static_cast<std::size_t>(row)) : nullptr;
}

QString DeviceListModel::subnetHint(const Device& device) {
    const AdapterRef& adapter = device.adapter;
    // A device that reports no address has nothing to compare; Browse says so itself.
    if (!adapter.Known() || device.ip.text.empty() || device.inAdapterSubnet()) {
        return {};
    }
    const QString ip = fromUtf8(device.ip.text);
    const QString name = fromUtf8(adapter.name);
    if (!adapter.HasAddress()) {
        return Texts::NoSubnetHint(ip, name);
    }
    return Texts::OutsideSubnetHint(ip, name, fromUtf8(adapter.SubnetText()));
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString DeviceListModel::text(const Device& device, int row, int column) const {
    switch (column) {
    case NumberColumn:
        return QString::number(row);
    case NameColumn:
        return fromUtf8(device.name);
    case MacColumn:
        return fromUtf8(device.mac);
    case AdapterColumn:
        return fromUtf8(device.adapter.name);
    default:
        return {};
    }
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    const Device* shown = index.isValid() ? device(index.row()) : nullptr;
    if (shown == nullptr) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return text(*shown, index.row(), index.column());
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString hint = subnetHint(*shown);
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::DecorationRole:
        if (index.column() == AdapterColumn && !subnetHint(*shown).isEmpty()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        }
        return {};
    default:
        return {};
    }
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case NumberColumn:
        return Texts::ColumnNumber();
    case NameColumn:
        return Texts::ColumnName();
    case MacColumn:
        return Texts::ColumnMac();
    case AdapterColumn:
        return Texts::ColumnAdapter();
    default:
        return {};
    }
}

} // namespace ondrel
