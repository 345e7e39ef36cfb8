#include "DeviceListProxy.h"

#include "DeviceListModel.h"

#include <algorithm>
#include <string_view>

namespace ondrel {

namespace {

// Device texts in a case-blind byte order: the same for every locale, and free of
// allocations, which a sort of thousands of rows would otherwise spend most of its time on.
int compareText(std::string_view a, std::string_view b) {
    const auto fold = [](char c) {
        return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    };
    const std::size_t n = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned char x = fold(a[i]);
        const unsigned char y = fold(b[i]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

// Addresses as numbers; a text that is no address comes after every address, by its text.
int compareAddress(const ReportedAddress& a, const ReportedAddress& b) {
    if (a.value && b.value) {
        return a.value->bits == b.value->bits ? 0 : (a.value->bits < b.value->bits ? -1 : 1);
    }
    if (a.value || b.value) {
        return a.value ? -1 : 1;
    }
    return compareText(a.text, b.text);
}

int compareNumber(unsigned a, unsigned b) {
    return a == b ? 0 : (a < b ? -1 : 1);
}

bool contains(const std::string& text, const QString& part) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()))
        .contains(part, Qt::CaseInsensitive);
}

} // namespace

DeviceListProxy::DeviceListProxy(DeviceListModel* source, QObject* parent)
    : QSortFilterProxyModel(parent), m_source(source) {
    setSourceModel(source);
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
    const Device* a = m_source->device(left.row());
    const Device* b = m_source->device(right.row());
    if (a == nullptr || b == nullptr) {
        return left.row() < right.row();
    }
    int order = 0;
    switch (left.column()) {
    case DeviceListModel::NameColumn:
        order = compareText(a->name, b->name);
        break;
    case DeviceListModel::MacColumn:
        order = compareText(a->mac, b->mac);
        break;
    case DeviceListModel::IpColumn:
        order = compareAddress(a->ip, b->ip);
        break;
    case DeviceListModel::AdapterColumn:
        order = compareText(a->adapter.name, b->adapter.name);
        break;
    case DeviceListModel::HttpPortColumn:
        order = compareNumber(a->httpPort, b->httpPort);
        break;
    case DeviceListModel::ModeColumn:
        order = compareNumber(static_cast<unsigned>(a->mode), static_cast<unsigned>(b->mode));
        break;
    case DeviceListModel::WebVersionColumn:
        order = compareText(a->webVersion, b->webVersion);
        break;
    case DeviceListModel::AppVersionColumn:
        order = compareText(a->appVersion, b->appVersion);
        break;
    case DeviceListModel::IdColumn:
        order = compareText(a->id, b->id);
        break;
    default:
        break;
    }
    // Equal keys keep the order of arrival, so that a sort is the same every time.
    return order != 0 ? order < 0 : left.row() < right.row();
}

bool DeviceListProxy::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_filter.isEmpty() || sourceParent.isValid()) {
        return true;
    }
    const Device* d = m_source->device(sourceRow);
    return d != nullptr && (contains(d->name, m_filter) || contains(d->mac, m_filter) ||
                            contains(d->ip.text, m_filter) || contains(d->id, m_filter));
}

} // namespace ondrel
