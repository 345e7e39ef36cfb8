#include "DeviceListView.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

#include <utility>

namespace ondrel {

DeviceListView::DeviceListView(QWidget* parent) : QTableView(parent) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setSortingEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    horizontalHeader()->setMinimumSectionSize(0);
}

int DeviceListView::GetSelectionMark() const {
    const QModelIndex current = selectionModel() ? selectionModel()->currentIndex() : QModelIndex();
    return current.isValid() ? current.row() : -1;
}

void DeviceListView::SetSelectionMark(int row) {
    if (selectionModel() == nullptr || model() == nullptr) {
        return;
    }
    const QModelIndex at = row >= 0 ? model()->index(row, 0) : QModelIndex();
    selectionModel()->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
}

int DeviceListView::GetFirstSelectedRow() const {
    if (selectionModel() == nullptr) {
        return -1;
    }
    const QModelIndexList rows = selectionModel()->selectedRows();
    int first = -1;
    for (const QModelIndex& index : rows) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

int DeviceListView::GetItemCount() const {
    return model() ? model()->rowCount() : 0;
}

int DeviceListView::ArrowKeyItemIndex(bool up, int selectionMark, int rowCount) {
    if (up) {
        return selectionMark < 1 ? 0 : selectionMark - 1;
    }
    const int next = selectionMark + 1;
    return next >= rowCount ? rowCount - 1 : next;
}

void DeviceListView::keyPressEvent(QKeyEvent* event) {
    if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
        !(event->modifiers() & Qt::AltModifier)) {
        // The device is shown from the row the key names, before the view moves its selection.
        Q_EMIT itemClicked(
            ArrowKeyItemIndex(event->key() == Qt::Key_Up, GetSelectionMark(), GetItemCount()));
    }
    QTableView::keyPressEvent(event);
}

void DeviceListView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && !indexAt(event->position().toPoint()).isValid()) {
        // The row stays selected, so that the click's handler can still act on it.
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QTableView::mousePressEvent(event);
}

void DeviceListView::focusInEvent(QFocusEvent* event) {
    // Qt makes the first row current when the keyboard brings the focus; that would be a
    // selection mark the user never set, and the first Down would then skip the first row.
    const bool hadMark = currentIndex().isValid();
    QTableView::focusInEvent(event);
    if (!hadMark && currentIndex().isValid()) {
        SetSelectionMark(-1);
    }
}

bool DeviceListView::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    if ((event->type() == QEvent::MouseButtonDblClick ||
         event->type() == QEvent::MouseButtonPress) &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        m_inDoubleClick = event->type() == QEvent::MouseButtonDblClick;
    } else if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && std::exchange(m_inDoubleClick, false)) {
            // The first click of the pair has been reported; a second report would fill the
            // form again and query the device twice.
            return handled;
        }
        if (mouse->button() == Qt::LeftButton) {
            const QModelIndex at = indexAt(mouse->position().toPoint());
            Q_EMIT itemClicked(at.isValid() ? at.row() : -1);
        }
    }
    return handled;
}

} // namespace ondrel
