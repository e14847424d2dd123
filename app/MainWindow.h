// The main window: keyword box, Search button and result list, with the handling of a double-click.
#pragma once

#include "search/Search.h"
#include "text/Text.h"

#include <QUrl>
#include <QWidget>

#include <functional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace vellmora {

class ResultList;

/// The program's only window: a fixed 320 × 320 client area, centred on the primary screen when it
/// is made. Esc closes it from any control; Enter and F1 do nothing.
///
/// It is the search's view. Once it has closed, the search's operations leave it alone: a search that
/// was running inside ProcessEvents when the window closed reads an empty keyword and lists nothing.
class MainWindow : public QWidget, public SearchView {
public:
    /// Opens an address with whatever the desktop associates with it.
    using LinkOpener = std::function<void(const QUrl&)>;

    explicit MainWindow(QWidget* parent = nullptr);

    // --- Keyword box and result list, as a search uses them ---------------------------------------

    /// The keyword box's whole text in GBK; best-fit characters where GBK has one, "?" where not.
    [[nodiscard]] Text KeywordText() const override;

    void RemoveAllRows() override;

    /// Adds an empty row after the last one and answers its index, the number of rows before; −1 once
    /// the window has closed.
    int AppendRow() override;

    /// Shows text in the cell; an empty text empties it. A cell that does not exist is left alone.
    void SetCellText(int row, int column, const Text& text) override;

    /// The cell's bytes exactly as they were set, however long; empty for an empty cell or one that
    /// does not exist, row −1 included.
    [[nodiscard]] Text GetCellText(int row, int column) const;

    /// The lowest selected row; −1 when no row is selected.
    [[nodiscard]] int SelectedRow() const;

    // --- Events ----------------------------------------------------------------------------------

    /// What a click on the Search button runs; nothing until one is set. It may run again from
    /// inside itself when it lets waiting events be handled.
    void SetSearchHandler(std::function<void()> handler);

    /// Who opens a result's link; QDesktopServices::openUrl unless replaced.
    void SetLinkOpener(LinkOpener opener);

    /// True once the window has been closed. Work that handles events while it runs (a search inside
    /// ProcessEvents) checks this afterwards and leaves the window alone from then on.
    [[nodiscard]] bool IsClosed() const noexcept { return closed_; }

    /// A double-click on the result list: opens the lowest selected row's link when it is an absolute
    /// http:// or https:// address, and silently does nothing for any other link, an empty one or
    /// no selection.
    void OnResultListDoubleClicked();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* label_;
    QLineEdit* keywordBox_;
    QPushButton* searchButton_;
    ResultList* resultList_;
    std::function<void()> searchHandler_;
    LinkOpener linkOpener_;
    bool closed_ = false;
};

} // namespace vellmora
