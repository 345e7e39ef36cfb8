#pragma once
// The devices that answered, as the rows of the list: the model owns the DeviceList, so that
// rows and devices always change together. Row n is the device that arrived n-th, so the row a
// user picks is the very device that is shown, queried, updated and browsed, also when two
// rows share a MAC. The view sorts and filters through DeviceListProxy; this model never
// reorders.
//
// A camera that said Bye keeps its row, greyed, with the time it left in its tooltip, until a
// search empties the list or it answers again.
//
// A camera that a second host claims as well (one endpoint reference from two addresses) is
// marked beside its name, with a tooltip naming both: the update refuses it until a search in
// which one of them alone answers.
//
// Two marks, hints only (nothing is refused because of them):
// - a device whose address lies outside the subnet of the adapter it answered on: a warning
//   icon beside its adapter and a tooltip that says why the browser cannot reach it;
// - a device whose address another device on the same adapter, or the adapter itself, also
//   has: an icon beside its address and a tooltip that names the others.
// - a camera whose clock is more than a minute away from the PC's (its details read): a
//   warning icon beside its Clock and a tooltip that says by how much, ahead or behind.
// The tooltips are the rows' accessible descriptions too, so that a screen reader says them.

#include "devices/AddressConflicts.h"
#include "devices/DeviceFields.h"
#include "devices/DeviceList.h"
#include "netinfo/NetLinks.h"
#include "onvif/DetailsReader.h"

#include <QAbstractTableModel>

#include <chrono>
#include <deque>
#include <optional>
#include <string_view>
#include <vector>

namespace ondrel {

class DeviceListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Its columns are the list columns of the table of a device's fields (DeviceFields); their
    // values under this role, FieldValue, are what the list sorts by.
    static constexpr int kSortRole = Qt::UserRole;

    explicit DeviceListModel(QObject* parent = nullptr);

    // Adds a batch of replies: new devices become rows in one insertion, and rows whose
    // device moved to another adapter, or whose conflicts changed, are drawn again.
    void addReplies(std::vector<Device>&& replies);
    void addReplies(PackedDevices&& replies);
    // Adds cameras found by WS-Discovery: new ones become rows, and a camera that is a listed
    // device (ours, or one that answered before) joins its row.
    void addCameras(std::vector<Device>&& cameras);
    // The camera of that endpoint reference said Bye at `at`: its row, if listed, is greyed.
    void markLeft(std::string_view endpoint, std::chrono::system_clock::time_point at);
    void clear();
    // Cameras' details, read for the rows given (arrival indices): each row takes its reading,
    // and the rows are drawn again in one change.
    void takeReadings(const std::vector<std::pair<std::size_t, onvif::CameraReading>>& readings);
    // Devices changed in place (an accepted update): every row is drawn again.
    void refresh();
    // The PC's own adapters and their addresses, which a device's address must not take.
    void setPcLinks(NetLinks links);

    // The list itself, for the update flow that writes an accepted update into it.
    DeviceList& list() { return m_list; }
    const DeviceList& list() const { return m_list; }
    const AddressConflicts& conflicts() const { return m_conflicts; }
    // A copy of the device of a row, or none off the rows.
    std::optional<Device> device(int row) const;

    // Why the browser cannot reach the device from this PC, or empty when it can (or when the
    // adapter it answered on is not known, or it reports no address).
    static QString subnetHint(const DeviceView& device);
    // Who else answers at the row's address, or empty when nobody does.
    QString conflictHint(int row) const;
    // Which hosts claim the camera, or empty when one does.
    static QString claimHint(const DeviceView& device);
    // How far the camera's clock is off, when more than a minute, or empty.
    static QString clockHint(const DeviceView& device);
    // When the row's camera said it was leaving, or empty while it has not.
    QString leftHint(int row) const;

    // The value of a cell under kSortRole, without a QVariant around it: a sort of thousands of
    // rows reads hundreds of thousands of them. Valid until the list is cleared or refreshed.
    FieldValue sortValue(const QModelIndex& index) const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString hints(const DeviceView& device, int row) const;
    // After devices were added: rows whose device moved (moved) or whose marks changed are
    // drawn again, then the new ones are inserted.
    void showAdded(bool moved);
    // The rows (in order) whose conflict mark or hint changed are drawn again.
    void redrawMarks(const std::vector<std::size_t>& rows);

    DeviceList m_list;
    NetLinks m_pcLinks;
    AddressConflicts m_conflicts;
    // The rows the views know of: the list grows before the model announces its new rows.
    int m_rows = 0;
    // The sort role's values of the column sorted by last, by row: a sort, and each insertion
    // into a sorted list, compares every row many times, and a value kept side by side with
    // the others costs less to read again than one read from the list. A deque, so that it
    // grows by the rows it gains rather than by doubling.
    mutable int m_sortColumn = -1;
    mutable std::deque<FieldValue> m_sortValues;
};

} // namespace ondrel
