#include "DeviceListView.h"

#include "DeviceListModel.h"

#include <QAction>
#include <QHeaderView>
#include <QMenu>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>

#include <algorithm>

namespace ondrel {

namespace DeviceListView {

namespace {

QString cellText(const QAbstractItemModel& model, int row, int column) {
    QString text = model.index(row, column).data(Qt::DisplayRole).toString();
    for (QChar& c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            c = QLatin1Char(' ');
        }
    }
    return text;
}

} // namespace

void setUpColumns(QTableView& list) {
    QHeaderView* header = list.horizontalHeader();
    header->setSectionsClickable(true);
    header->setSectionsMovable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(DeviceListModel::NumberColumn, Qt::AscendingOrder);
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    // Wide enough for the texts devices send: a whole name like "Sim Camera 00001", a whole
    // MAC and address, never narrower than the list always had.
    const QFontMetrics metrics = list.fontMetrics();
    const int padding = 2 * list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const int icon = list.style()->pixelMetric(QStyle::PM_SmallIconSize);
    auto width = [&](const char* sample, int atLeast) {
        return std::max(atLeast, metrics.horizontalAdvance(QLatin1String(sample)) + padding);
    };
    struct Column {
        int column;
        const char* sample;
        int atLeast;
        int mark; // room for a mark's icon before the text
    } columns[] = {
        {DeviceListModel::NumberColumn, "00000", 55, 0},
        {DeviceListModel::NameColumn, "Sim Camera 00001", 80, 0},
        {DeviceListModel::MacColumn, "AA:AA:AA:AA:AA:AA", 110, 0},
        {DeviceListModel::IpColumn, "255.255.255.255", 90, icon},
        {DeviceListModel::AdapterColumn, "enp0s31f6", 80, icon},
        {DeviceListModel::HttpPortColumn, "65535", 50, 0},
        {DeviceListModel::ModeColumn, "static", 50, 0},
        {DeviceListModel::WebVersionColumn, "V2.0.0 build 000000", 80, 0},
        {DeviceListModel::AppVersionColumn, "V2.0.0 build 000000", 80, 0},
        {DeviceListModel::IdColumn, "DEV-000000000000", 80, 0},
    };
    int total = 0;
    for (const Column& c : columns) {
        list.setColumnWidth(c.column, width(c.sample, c.atLeast) + c.mark);
        const bool shown = DeviceListModel::shownByDefault(c.column);
        list.setColumnHidden(c.column, !shown);
        total += shown ? list.columnWidth(c.column) : 0;
    }
    header->setStretchLastSection(true);
    list.setMinimumWidth(total + 2 * list.frameWidth() +
                         list.verticalScrollBar()->sizeHint().width());
}

void showColumnMenu(QTableView& list, const QPoint& pos) {
    QHeaderView* header = list.horizontalHeader();
    const QAbstractItemModel* model = list.model();
    QMenu menu(&list);
    const int shown = header->count() - header->hiddenSectionCount();
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        QAction* action = menu.addAction(model->headerData(column, Qt::Horizontal).toString());
        action->setCheckable(true);
        action->setChecked(!header->isSectionHidden(column));
        action->setEnabled(header->isSectionHidden(column) || shown > 1);
        QObject::connect(action, &QAction::toggled, &list, [&list, column](bool on) {
            list.setColumnHidden(column, !on);
            if (on && list.columnWidth(column) == 0) {
                list.resizeColumnToContents(column);
            }
        });
    }
    menu.exec(header->viewport()->mapToGlobal(pos));
}

QString rowsAsText(const QTableView& list, const QModelIndexList& rows) {
    const QHeaderView* header = list.horizontalHeader();
    const QAbstractItemModel& model = *list.model();
    QList<int> columns;
    for (int visual = 0; visual < header->count(); ++visual) {
        const int column = header->logicalIndex(visual);
        if (!header->isSectionHidden(column)) {
            columns << column;
        }
    }
    QStringList lines;
    QStringList fields;
    for (const int column : columns) {
        fields << model.headerData(column, Qt::Horizontal).toString();
    }
    lines << fields.join(QLatin1Char('\t'));
    for (const QModelIndex& row : rows) {
        fields.clear();
        for (const int column : columns) {
            fields << cellText(model, row.row(), column);
        }
        lines << fields.join(QLatin1Char('\t'));
    }
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

} // namespace DeviceListView

} // namespace ondrel
