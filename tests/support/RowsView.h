// Test support: a search view that keeps its keyword and rows in memory, as the window would.
#pragma once

#include "search/Search.h"

#include <array>
#include <vector>

namespace vellmora {

class RowsView : public SearchView {
public:
    using Row = std::array<Text, 3>; // number, title, link

    [[nodiscard]] Text KeywordText() const override {
        ++keywordReads;
        return keyword;
    }
    void RemoveAllRows() override { rows.clear(); }
    int AppendRow() override {
        rows.emplace_back();
        return static_cast<int>(rows.size()) - 1;
    }
    void SetCellText(int row, int column, const Text& text) override {
        rows.at(static_cast<std::size_t>(row)).at(static_cast<std::size_t>(column)) = text;
    }

    Text keyword;
    mutable int keywordReads = 0;
    std::vector<Row> rows;
};

} // namespace vellmora
