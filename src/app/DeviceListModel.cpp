#include "DeviceListModel.h"

#include "Texts.h"

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
    endInsertRows();
}

void DeviceListModel::RefreshRows() {
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
        return Latin1(FieldText(entry->record.DevName));
    case MacColumn:
        return Latin1(FieldText(entry->record.Mac));
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

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    return GetItemText(index.row(), index.column());
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
