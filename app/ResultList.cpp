#include "app/ResultList.h"

#include "app/QtText.h"

#include <QByteArray>
#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStringList>
#include <QStyle>

#include <algorithm>
#include <string>

namespace vellmora {
namespace {

constexpr int kBytesRole = Qt::UserRole; // a cell's exact bytes, next to the text it shows

// How far from a header divider the pointer still grips it.
int GripMargin(const QWidget* header) {
    return header->style()->pixelMetric(QStyle::PM_HeaderGripMargin, nullptr, header);
}

// The list's header. A column of width 0 at the end has its divider where the header ends, and
// QHeaderView only grips a divider from inside a section: from the left it resizes the column before
// it, and on the right there is no section at all. So a press just right of such a divider is
// taken here and drags the hidden column open, as a report list lets its user do.
class ResultHeader : public QHeaderView {
public:
    explicit ResultHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

protected:
    void mousePressEvent(QMouseEvent* event) override {
        const int x = event->position().toPoint().x();
        const int section = event->button() == Qt::LeftButton ? ClosedSectionAt(x) : -1;
        if (section < 0) {
            QHeaderView::mousePressEvent(event);
            return;
        }
        opening_ = section;
        event->accept();
    }

    void mouseMoveEvent(QMouseEvent* event) override {
        const int x = event->position().toPoint().x();
        if (opening_ >= 0) {
            resizeSection(opening_, std::max(0, x - sectionViewportPosition(opening_)));
            return;
        }
        QHeaderView::mouseMoveEvent(event);
        if (event->buttons() == Qt::NoButton && ClosedSectionAt(x) >= 0) {
            setCursor(Qt::SplitHCursor);
        }
    }

    void mouseReleaseEvent(QMouseEvent* event) override {
        if (opening_ >= 0 && event->button() == Qt::LeftButton) {
            opening_ = -1;
            event->accept();
            return;
        }
        QHeaderView::mouseReleaseEvent(event);
    }

private:
    // The zero-width column whose divider is at x or less than a grip margin left of it, or −1.
    [[nodiscard]] int ClosedSectionAt(int x) const {
        const int grip = GripMargin(this);
        for (int visual = count() - 1; visual >= 0; --visual) {
            const int section = logicalIndex(visual);
            if (isSectionHidden(section) || sectionSize(section) != 0) {
                continue;
            }
            const int divider = sectionViewportPosition(section);
            if (x >= divider && x < divider + grip) {
                return section;
            }
        }
        return -1;
    }

    int opening_ = -1;
};

} // namespace

ResultList::ResultList(QWidget* parent) : QTableWidget(0, kColumnCount, parent) {
    auto* header = new ResultHeader(this);
    setHorizontalHeader(header);
    // The header's sections behave as buttons, but a click on one changes nothing: sorting stays off,
    // and with whole rows selected a table ignores a pressed section's request to select its column.
    header->setSectionsClickable(true);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setStretchLastSection(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setHorizontalHeaderLabels({QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("地址")});
    header->resizeSection(0, 30);
    header->resizeSection(1, 320);
    header->resizeSection(2, 0); // holds the link; shown only when the user drags its divider open
    setSortingEnabled(false);

    // Rows as compact as a classic report list: the font's height and a little air.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(fontMetrics().height() + 4);

    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(true);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    setTabKeyNavigation(false); // Tab leaves the list instead of moving from cell to cell
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
}

void ResultList::RemoveAllRows() {
    setRowCount(0);
}

int ResultList::AppendRow() {
    const int row = rowCount();
    insertRow(row);
    return row;
}

bool ResultList::HasCell(int row, int column) const {
    return row >= 0 && row < rowCount() && column >= 0 && column < columnCount();
}

void ResultList::SetCellText(int row, int column, const Text& text) {
    if (!HasCell(row, column)) {
        return;
    }
    if (text.IsEmpty()) {
        delete takeItem(row, column);
        return;
    }
    auto* cell = new QTableWidgetItem(TextToQString(text));
    cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    const std::string& bytes = text.Bytes();
    cell->setData(kBytesRole, QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
    setItem(row, column, cell);
}

Text ResultList::GetCellText(int row, int column) const {
    if (!HasCell(row, column)) {
        return {};
    }
    const QTableWidgetItem* cell = item(row, column);
    if (cell == nullptr) {
        return {};
    }
    const QByteArray bytes = cell->data(kBytesRole).toByteArray();
    return Text(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

int ResultList::SelectedRow() const {
    int lowest = -1;
    for (const QItemSelectionRange& range : selectionModel()->selection()) {
        if (lowest < 0 || range.top() < lowest) {
            lowest = range.top();
        }
    }
    return lowest;
}

void ResultList::SetDoubleClickHandler(std::function<void()> handler) {
    doubleClickHandler_ = std::move(handler);
}

QModelIndex ResultList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    // Keys move between rows, as in a report list, not between the cells of a row: Home and End go
    // to the first and the last row, Left and Right scroll sideways.
    switch (action) {
    case MoveHome:
    case MoveEnd:
        return QTableWidget::moveCursor(action, modifiers | Qt::ControlModifier);
    case MoveLeft:
    case MoveRight:
        horizontalScrollBar()->triggerAction(action == MoveLeft ? QAbstractSlider::SliderSingleStepSub
                                                                : QAbstractSlider::SliderSingleStepAdd);
        return currentIndex();
    default:
        return QTableWidget::moveCursor(action, modifiers);
    }
}

void ResultList::scrollTo(const QModelIndex& index, ScrollHint hint) {
    QScrollBar* sideways = horizontalScrollBar();
    const int x = sideways->value();
    QTableWidget::scrollTo(index, hint);
    sideways->setValue(x);
}

void ResultList::updateGeometries() {
    QTableWidget::updateGeometries();
    // Scrolled to the end, a zero-width last column's divider would sit on the list's right edge,
    // with no room to grip it on its right: scrolling goes a grip's width further.
    const QHeaderView* header = horizontalHeader();
    const int last = header->logicalIndex(header->count() - 1);
    if (last >= 0 && header->sectionSize(last) == 0) {
        QScrollBar* bar = horizontalScrollBar();
        const int needed = header->length() + 2 * GripMargin(header) - viewport()->width();
        if (needed > bar->maximum()) {
            bar->setMaximum(needed);
        }
    }
}

bool ResultList::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && doubleClickHandler_) {
        const std::function<void()> handler = doubleClickHandler_; // may be replaced while it runs
        handler();
    }
    return QTableWidget::viewportEvent(event);
}

} // namespace vellmora
