#include "DeviceListModel.h"

#include "Texts.h"

#include <QApplication>
#include <QStyle>

namespace ondrel {

namespace {

// Each byte of a device's text is shown as one character, so that the text read back from a
// row gives the record's bytes again.
QString Latin1(std::string_view field) {
    return QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size()));
}

} // namespace

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DeviceListModel::AppendEntries(const std::vector<const DeviceEntry*>& entries) {
    if (entries.empty()) {
        return;
    }
    const int first = GetItemCount();
    beginInsertRows({}, first, first + static_cast<int>(entries.size()) - 1);
    m_rows.insert(m_rows.end(), entries.begin(), entries.end());
    for (const DeviceEntry* entry : entries) {
        m_hints.push_back(SubnetHint(*entry));
    }
    endInsertRows();
}

void DeviceListModel::RefreshRows() {
    for (std::size_t i = 0; i < m_rows.size(); ++i) {
        m_hints[i] = SubnetHint(*m_rows[i]);
    }
    if (!m_rows.empty()) {
        Q_EMIT dataChanged(index(0, 0), index(GetItemCount() - 1, ColumnCount - 1));
    }
}

void DeviceListModel::Clear() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    m_rows.clear();
    m_hints.clear();
    endResetModel();
}

const DeviceEntry* DeviceListModel::Entry(int row) const {
    return row >= 0 && row < GetItemCount() ? m_rows[static_cast<std::size_t>(row)] : nullptr;
}

QString DeviceListModel::GetItemText(int row, int column) const {
    const DeviceEntry* entry = Entry(row);
    if (entry == nullptr) {
        return {};
    }
    switch (column) {
    case NumberColumn:
        return QString::asprintf("%i", row);
    case NameColumn:
        return Latin1(fieldText(entry->record.DevName));
    case MacColumn:
        return Latin1(fieldText(entry->record.Mac));
    case AdapterColumn:
        return QString::fromStdString(entry->adapter.name);
    default:
        return {};
    }
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GetItemCount();
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QString DeviceListModel::SubnetHint(const DeviceEntry& entry) {
    const AdapterRef& adapter = entry.adapter;
    if (!adapter.Known()) {
        return {};
    }
    const std::string_view ip = fieldText(entry.record.IP);
    // A device that reports no address has nothing to compare; Browse says so itself.
    if (ip.empty() || adapter.Contains(ip)) {
        return {};
    }
    const QString device = Latin1(ip);
    const QString name = QString::fromStdString(adapter.name);
    if (!adapter.HasAddress()) {
        return Texts::NoSubnetHint(device, name);
    }
    return Texts::OutsideSubnetHint(device, name, QString::fromStdString(adapter.SubnetText()));
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= GetItemCount()) {
        return {};
    }
    const QString& hint = m_hints[static_cast<std::size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return GetItemText(index.row(), index.column());
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole:
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    case Qt::DecorationRole:
        if (index.column() == AdapterColumn && !hint.isEmpty()) {
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
    if (role == Qt::DisplayRole) {
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
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

} // namespace ondrel
