#include "DeviceListView.h"

#include "devices/DeviceFields.h"

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
    header->setSortIndicator(0, Qt::AscendingOrder); // the arrival number
    header->setHighlightSections(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(0);
    header->setContextMenuPolicy(Qt::CustomContextMenu);
    // Wide enough for the texts devices send: a whole name like "Sim Camera 00001", a whole
    // MAC and address, never narrower than the list always had; a column with a mark has room
    // for its icon before the text.
    const QFontMetrics metrics = list.fontMetrics();
    const int padding = 2 * list.style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 12;
    const int icon = list.style()->pixelMetric(QStyle::PM_SmallIconSize);
    int total = 0;
    for (int column = 0; column < listColumnCount(); ++column) {
        const ListColumn& c = listColumn(column).column;
        list.setColumnWidth(
            column, std::max(c.minWidth,
                             metrics.horizontalAdvance(QLatin1String(c.widthSample)) + padding) +
                        (c.mark != FieldMark::None ? icon : 0));
        list.setColumnHidden(column, !c.shownByDefault);
        total += c.shownByDefault ? list.columnWidth(column) : 0;
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
