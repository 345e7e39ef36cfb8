#include "DeviceListModel.h"

#include "Utf8Text.h"

#include "Texts.h"

#include "devices/DeviceFields.h"

#include <QApplication>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace ondrel {

namespace {

bool sameConflict(const AddressConflicts::Conflict& a, const AddressConflicts::Conflict& b) {
    return a == b;
}

} // namespace

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DeviceListModel::addReplies(std::vector<Device>&& replies) {
    std::vector<std::vector<Device>> one;
    one.push_back(std::move(replies));
    addReplies(std::move(one));
}

void DeviceListModel::addReplies(std::vector<std::vector<Device>>&& batches) {
    bool moved = false;
    for (std::vector<Device>& replies : batches) {
        moved = m_list.addAll(std::move(replies)) || moved;
        replies = {}; // given back as it goes, not at the end of the burst
    }
    // The rows known so far are compared before the new ones are announced, so that the
    // proxy never sees a row it does not know of.
    if (moved) {
        refresh();
    } else {
        computeConflicts(true);
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
    m_conflicts = {};
    m_rows = 0;
    endResetModel();
}

void DeviceListModel::refresh() {
    computeConflicts(false);
    if (m_rows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, listColumnCount() - 1));
    }
}

void DeviceListModel::setPcLinks(NetLinks links) {
    if (links == m_pcLinks) {
        return;
    }
    m_pcLinks = std::move(links);
    computeConflicts(true);
}

void DeviceListModel::computeConflicts(bool announce) {
    AddressConflicts before = std::move(m_conflicts);
    m_conflicts = {};
    m_conflicts.compute(m_list.devices(), m_pcLinks);
    if (!announce) {
        return;
    }
    // Most batches change no mark at all; a new camera at a factory address changes a few.
    for (int row = 0; row < m_rows; ++row) {
        const auto at = static_cast<std::size_t>(row);
        if (!sameConflict(before.of(at), m_conflicts.of(at))) {
            Q_EMIT dataChanged(index(row, 0), index(row, listColumnCount() - 1));
        }
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

QString DeviceListModel::conflictHint(int row) const {
    const Device* shown = device(row);
    if (shown == nullptr) {
        return {};
    }
    const AddressConflicts::Conflict& conflict = m_conflicts.of(static_cast<std::size_t>(row));
    if (!conflict.any()) {
        return {};
    }
    // Each other device once, by what the user sees of it: its name and its MAC.
    QStringList parties;
    std::vector<const std::string*> named;
    for (const std::size_t other : conflict.others) {
        const Device& d = m_list[other];
        if (std::none_of(named.begin(), named.end(),
                         [&](const std::string* mac) { return *mac == d.mac; })) {
            named.push_back(&d.mac);
            parties << Texts::ConflictParty(fromUtf8(d.name), fromUtf8(d.mac));
        }
    }
    if (conflict.unnamed > 0) {
        parties << Texts::MoreParties(conflict.unnamed);
    }
    if (conflict.withPc) {
        parties << Texts::ThisPc();
    }
    return Texts::ConflictHint(fromUtf8(shown->ip.text), fromUtf8(shown->adapter.name),
                               parties.join(QStringLiteral(", ")));
}

QString DeviceListModel::hints(const Device& device, int row) const {
    QStringList lines;
    for (QString hint : {conflictHint(row), subnetHint(device)}) {
        if (!hint.isEmpty()) {
            lines << std::move(hint);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : listColumnCount();
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    const Device* shown = index.isValid() ? device(index.row()) : nullptr;
    if (shown == nullptr || index.column() >= listColumnCount()) {
        return {};
    }
    const DeviceField& field = listColumn(index.column());
    const auto row = static_cast<std::size_t>(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const FieldValue value = field.read(*shown, row);
        if (!field.column.words.empty()) {
            return Texts::Field(field.column.words[value.number]);
        }
        return field.kind == FieldKind::Number ? QString::number(value.number)
                                               : fromUtf8(value.text);
    }
    case kSortRole:
        return QVariant::fromValue(field.read(*shown, row));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString hint = hints(*shown, index.row());
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::DecorationRole:
        if (field.column.mark == FieldMark::OutsideSubnet && !subnetHint(*shown).isEmpty()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        }
        if (field.column.mark == FieldMark::AddressConflict && m_conflicts.of(row).any()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        }
        return {};
    default:
        return {};
    }
}

QVariant DeviceListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || section < 0 || section >= listColumnCount()) {
        return {};
    }
    if (role == Qt::TextAlignmentRole) {
        return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    return Texts::Field(listColumn(section).column.header);
}

} // namespace ondrel
