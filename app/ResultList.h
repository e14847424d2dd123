// The result list: a report view of numbered results whose cells hold GBK texts.
#pragma once

#include "text/Text.h"

#include <QTableWidget>

#include <functional>

namespace vellmora {

/// Three columns ("序号", "名称", "地址"), rows selected whole, several at once with Ctrl and Shift,
/// grid lines, no editing and no sorting. Each cell keeps the exact bytes it was given and shows
/// them decoded as GBK.
class ResultList : public QTableWidget {
public:
    static constexpr int kColumnCount = 3;

    explicit ResultList(QWidget* parent = nullptr);

    void RemoveAllRows();

    /// Adds an empty row after the last one and answers its index, the number of rows before.
    int AppendRow();

    /// Shows text in the cell; an empty text empties it. A cell that does not exist is left alone.
    void SetCellText(int row, int column, const Text& text);

    /// The cell's bytes exactly as they were set; empty for an empty cell or one that does not exist.
    [[nodiscard]] Text GetCellText(int row, int column) const;

    /// The lowest selected row; −1 when no row is selected.
    [[nodiscard]] int SelectedRow() const;

    /// Runs on every left double-click in the rows' area, before the list itself handles the click
    /// (whose first click has already changed the selection), also below the last row.
    void SetDoubleClickHandler(std::function<void()> handler);

    /// Brings the row into view by scrolling up or down only: rows are selected whole, so a click on
    /// a wide title or a move with the arrow keys leaves the sideways position alone.
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    bool viewportEvent(QEvent* event) override;
    void updateGeometries() override;

private:
    [[nodiscard]] bool HasCell(int row, int column) const;

    std::function<void()> doubleClickHandler_;
};

} // namespace vellmora
