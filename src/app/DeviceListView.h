#pragma once
// The device list: a report view of whole rows, one selected at most. Besides the selection
// it keeps a selection mark, the row the user last acted on, which may be cleared while a row
// stays selected; taking the keyboard focus sets none. A left click anywhere in the rows area is
// reported with the row under the mouse, or -1 off the rows, after the view has updated its
// selection; a double click is reported once. A click off the rows leaves the selected row
// selected. Up and Down report the row they move to before the view moves there.

#include <QTableView>

namespace ondrel {

class DeviceListView : public QTableView {
    Q_OBJECT
public:
    explicit DeviceListView(QWidget* parent = nullptr);

    int GetSelectionMark() const;
    void SetSelectionMark(int row);
    // The first selected row, or -1.
    int GetFirstSelectedRow() const;
    int GetItemCount() const;
    // The row that Up or Down moves to from the selection mark: Up stops at row 0 (also
    // without a mark), Down at the last row (-1 in an empty list).
    static int ArrowKeyItemIndex(bool up, int selectionMark, int rowCount);

Q_SIGNALS:
    void itemClicked(int itemIndex);

protected:
    bool viewportEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

private:
    bool m_inDoubleClick = false; // the second press of a double click is no click of its own
};

} // namespace ondrel
