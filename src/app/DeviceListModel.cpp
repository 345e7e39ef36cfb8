#include "DeviceListModel.h"

#include <algorithm>

namespace ondrel {

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

int DeviceListModel::InsertColumn(int index, const QString& title) {
    const int at = std::clamp(index, 0, static_cast<int>(m_titles.size()));
    beginInsertColumns({}, at, at);
    m_titles.insert(at, title);
    for (QStringList& row : m_rows) {
        if (row.size() >= at) {
            row.insert(at, QString());
        }
    }
    endInsertColumns();
    return at;
}

int DeviceListModel::InsertItem(int index, const QString& text) {
    const int at = std::clamp(index, 0, GetItemCount());
    beginInsertRows({}, at, at);
    m_rows.insert(m_rows.begin() + at, QStringList{text});
    endInsertRows();
    return at;
}

void DeviceListModel::AppendItems(const std::vector<QStringList>& rows) {
    if (rows.empty()) {
        return;
    }
    const int first = GetItemCount();
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    endInsertRows();
}

void DeviceListModel::AppendDevices(const std::vector<DeviceInfo>& devices) {
    // Each byte of a device's text is shown as one character, so that the MAC text read back
    // from a row gives the record's bytes again.
    auto text = [](std::string_view field) {
        return QString::fromLatin1(field.data(), static_cast<qsizetype>(field.size()));
    };
    std::vector<QStringList> rows;
    rows.reserve(devices.size());
    int number = GetItemCount();
    for (const DeviceInfo& device : devices) {
        rows.push_back({QString::asprintf("%i", number++), text(FieldText(device.DevName)),
                        text(FieldText(device.Mac))});
    }
    AppendItems(rows);
}

bool DeviceListModel::SetItemText(int row, int column, const QString& text) {
    if (row < 0 || row >= GetItemCount() || column < 0 || column >= m_titles.size()) {
        return false;
    }
    QStringList& texts = m_rows[static_cast<std::size_t>(row)];
    while (texts.size() <= column) {
        texts.append(QString());
    }
    texts[column] = text;
    const QModelIndex changed = index(row, column);
    Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole});
    return true;
}

QString DeviceListModel::GetItemText(int row, int column) const {
    if (row < 0 || row >= GetItemCount()) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(row)].value(column);
}

void DeviceListModel::DeleteAllItems() {
    if (m_rows.empty()) {
        return;
    }
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : GetItemCount();
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_titles.size());
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)) {
        return {};
    }
    return GetItemText(index.row(), index.column());
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= m_titles.size()) {
        return {};
    }
    if (role == Qt::DisplayRole) {
        return m_titles[section];
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    return {};
}

} // namespace ondrel
