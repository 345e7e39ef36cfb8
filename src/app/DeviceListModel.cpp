#include "DeviceListModel.h"

#include "Utf8Text.h"

#include "DetailsTexts.h"
#include "Texts.h"

#include <QApplication>
#include <QDateTime>
#include <QPalette>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace ondrel {

DeviceListModel::DeviceListModel(QObject* parent) : QAbstractTableModel(parent) {}

void DeviceListModel::addReplies(std::vector<Device>&& replies) {
    showAdded(m_list.addAll(std::move(replies)));
}

void DeviceListModel::addReplies(PackedDevices&& replies) {
    const bool moved = m_list.addAll(replies);
    replies.clear(); // given back before the views take their share
    showAdded(moved);
}

void DeviceListModel::addCameras(std::vector<Device>&& cameras) {
    showAdded(m_list.addCameras(std::move(cameras)));
}

void DeviceListModel::markLeft(std::string_view endpoint,
                               std::chrono::system_clock::time_point at) {
    const std::optional<std::size_t> left = m_list.markLeft(endpoint, at);
    if (!left || *left >= static_cast<std::size_t>(m_rows)) {
        return;
    }
    // Greyed and explained: no text changes, so the proxy need not sort or filter it again.
    const int row = static_cast<int>(*left);
    Q_EMIT dataChanged(index(row, 0), index(row, listColumnCount() - 1),
                       {Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

void DeviceListModel::showAdded(bool moved) {
    // The rows known so far are drawn again before the new ones are announced, so that the
    // proxy never sees a row it does not know of.
    if (moved) {
        refresh();
    } else {
        redrawMarks(m_conflicts.add(m_list, m_pcLinks));
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
    m_sortValues = {};
    m_rows = 0;
    endResetModel();
}

void DeviceListModel::takeReadings(
    const std::vector<std::pair<std::size_t, onvif::CameraReading>>& readings) {
    std::size_t first = m_list.size();
    std::size_t last = 0;
    for (const auto& [row, reading] : readings) {
        if (row >= static_cast<std::size_t>(m_rows)) {
            continue;
        }
        Device device = m_list.device(row);
        onvif::applyReading(device, reading);
        if (m_list.takeDetails(row, device)) {
            first = std::min(first, row);
            last = std::max(last, row);
        }
    }
    if (first > last) {
        return;
    }
    // Texts changed: the proxy sorts and filters these rows again.
    m_sortValues.clear();
    Q_EMIT dataChanged(index(static_cast<int>(first), 0),
                       index(static_cast<int>(last), listColumnCount() - 1));
}

void DeviceListModel::refresh() {
    m_conflicts.compute(m_list, m_pcLinks);
    m_sortValues.clear();
    if (m_rows > 0) {
        Q_EMIT dataChanged(index(0, 0), index(m_rows - 1, listColumnCount() - 1));
    }
}

void DeviceListModel::setPcLinks(NetLinks links) {
    if (links == m_pcLinks) {
        return;
    }
    m_pcLinks = std::move(links);
    const AddressConflicts before = std::move(m_conflicts);
    m_conflicts.compute(m_list, m_pcLinks);
    std::vector<std::size_t> changed;
    for (std::size_t row = 0; row < static_cast<std::size_t>(m_rows); ++row) {
        if (!(before.of(row) == m_conflicts.of(row))) {
            changed.push_back(row);
        }
    }
    redrawMarks(changed);
}

void DeviceListModel::redrawMarks(const std::vector<std::size_t>& rows) {
    // Neighbouring rows as one range. A mark changes no text, so the proxy need not sort or
    // filter them again.
    static const QList<int> kRoles = {Qt::DecorationRole, Qt::ToolTipRole,
                                      Qt::AccessibleDescriptionRole};
    for (std::size_t first = 0; first < rows.size();) {
        std::size_t last = first;
        while (last + 1 < rows.size() && rows[last + 1] == rows[last] + 1) {
            ++last;
        }
        Q_EMIT dataChanged(index(static_cast<int>(rows[first]), 0),
                           index(static_cast<int>(rows[last]), listColumnCount() - 1), kRoles);
        first = last + 1;
    }
}

std::optional<Device> DeviceListModel::device(int row) const {
    if (row < 0 || row >= m_rows) {
        return std::nullopt;
    }
    return m_list.device(static_cast<std::size_t>(row));
}

QString DeviceListModel::subnetHint(const DeviceView& device) {
    const AdapterRef& adapter = *device.adapter;
    // A device that reports no address has nothing to compare; Browse says so itself.
    if (!adapter.known() || device.ip.text.empty() || device.inAdapterSubnet()) {
        return {};
    }
    const QString ip = fromUtf8(device.ip.text);
    const QString name = fromUtf8(adapter.name);
    if (!adapter.hasAddress()) {
        return Texts::noSubnetHint(ip, name);
    }
    return Texts::outsideSubnetHint(ip, name, fromUtf8(adapter.subnetText()));
}

QString DeviceListModel::conflictHint(int row) const {
    if (row < 0 || row >= m_rows) {
        return {};
    }
    const DeviceView shown = m_list[static_cast<std::size_t>(row)];
    const AddressConflicts::Conflict& conflict = m_conflicts.of(static_cast<std::size_t>(row));
    if (!conflict.any()) {
        return {};
    }
    // Each other device (they are each another already) by what the user sees of it: its name
    // and its MAC, or a camera's endpoint reference where it gave none.
    QStringList parties;
    for (const std::size_t other : conflict.others) {
        const DeviceView d = m_list[other];
        const std::string_view identity = d.mac.text.empty() ? d.endpoint : d.mac.text;
        parties << Texts::conflictParty(fromUtf8(d.name), fromUtf8(identity));
    }
    if (conflict.unnamed > 0) {
        parties << Texts::moreParties(conflict.unnamed);
    }
    if (conflict.withPc) {
        parties << Texts::thisPc();
    }
    return Texts::conflictHint(fromUtf8(shown.ip.text), fromUtf8(shown.adapter->name),
                               parties.join(QStringLiteral(", ")));
}

QString DeviceListModel::leftHint(int row) const {
    if (row < 0 || row >= m_rows) {
        return {};
    }
    const auto at = m_list.leftAt(static_cast<std::size_t>(row));
    if (!at) {
        return {};
    }
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(at->time_since_epoch());
    return Texts::leftAt(
        QDateTime::fromMSecsSinceEpoch(ms.count()).toString(QStringLiteral("HH:mm:ss")));
}

QString DeviceListModel::claimHint(const DeviceView& device) {
    if (device.claims.empty()) {
        return {};
    }
    QStringList hosts = fromUtf8(device.claims).split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const QString last = hosts.takeLast();
    return Texts::claimedHint(hosts.join(QStringLiteral(", ")), last);
}

QString DeviceListModel::clockHint(const DeviceView& device) {
    if (device.details == nullptr || !device.details->clockOffset) {
        return {};
    }
    return DetailsTexts::clockHint(*device.details->clockOffset);
}

QString DeviceListModel::hints(const DeviceView& device, int row) const {
    QStringList lines;
    for (QString hint : {claimHint(device), leftHint(row), conflictHint(row), subnetHint(device),
                         clockHint(device)}) {
        if (!hint.isEmpty()) {
            lines << std::move(hint);
        }
    }
    return lines.join(QLatin1Char('\n'));
}

FieldValue DeviceListModel::sortValue(const QModelIndex& index) const {
    if (index.column() != m_sortColumn) {
        m_sortValues.clear();
        m_sortColumn = index.column();
    }
    // Read in arrival order, as the list keeps them, up to the row asked for.
    const DeviceField& field = listColumn(m_sortColumn);
    for (std::size_t row = m_sortValues.size(); row <= static_cast<std::size_t>(index.row());
         ++row) {
        m_sortValues.push_back(field.read(m_list[row], row));
    }
    return m_sortValues[static_cast<std::size_t>(index.row())];
}

QModelIndex DeviceListModel::index(int row, int column, const QModelIndex& parent) const {
    // Asked for twice per comparison while the list sorts: no virtual calls to check a cell.
    if (parent.isValid() || row < 0 || row >= m_rows || column < 0 || column >= listColumnCount()) {
        return {};
    }
    return createIndex(row, column);
}

int DeviceListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : m_rows;
}

int DeviceListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : listColumnCount();
}

QVariant DeviceListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= m_rows || index.column() >= listColumnCount()) {
        return {};
    }
    const DeviceField& field = listColumn(index.column());
    const auto row = static_cast<std::size_t>(index.row());
    const DeviceView shown = m_list[row];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole: {
        const FieldValue value = field.read(shown, row);
        if ((field.kind == FieldKind::Number || field.kind == FieldKind::Seconds) &&
            !value.hasNumber()) {
            return QString(); // a camera found by WS-Discovery alone does not report it
        }
        if (field.kind == FieldKind::Seconds) {
            return DetailsTexts::clockOffset(secondsValue(value.number));
        }
        if (!field.column.words.empty()) {
            return Texts::field(field.column.words[value.number]);
        }
        return field.kind == FieldKind::Number ? QString::number(value.number)
                                               : fromUtf8(value.text);
    }
    case kSortRole:
        return QVariant::fromValue(sortValue(index));
    case Qt::ToolTipRole:
    case Qt::AccessibleDescriptionRole: {
        const QString hint = hints(shown, index.row());
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    case Qt::ForegroundRole:
        if (m_list.leftAt(row)) {
            return QApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        }
        return {};
    case Qt::DecorationRole:
        if (field.column.mark == FieldMark::OutsideSubnet && !subnetHint(shown).isEmpty()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        }
        if (field.column.mark == FieldMark::AddressConflict && m_conflicts.of(row).any()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        }
        if (field.column.mark == FieldMark::Claimed && !shown.claims.empty()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxCritical);
        }
        if (field.column.mark == FieldMark::ClockOff && !clockHint(shown).isEmpty()) {
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
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
    return Texts::field(listColumn(section).column.header);
}

} // namespace ondrel
