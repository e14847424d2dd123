// The rows of a search as the command line prints them: tab-separated lines or one JSON array.
#pragma once

#include "text/Text.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vellmora {

/// One row as the search wrote it into the list: number, title and link, in GBK.
struct ResultRow {
    Text number;
    Text title;
    Text link;
};

/// cell with tab, carriage return, line feed and backslash written as \t, \r, \n and \\, so that a row
/// stays one line of tab-separated cells and the escapes can be undone. Every other byte is kept.
[[nodiscard]] std::string EscapeTsvCell(std::string_view cell);

/// One line per row, in UTF-8: number, a tab, title, a tab, link, each cell escaped. Nothing for no rows.
void WriteTsv(std::ostream& out, const std::vector<ResultRow>& rows);

/// One JSON array, in UTF-8, of {"number": …, "title": "…", "link": "…"} in row order, the number a
/// JSON number, every control character of the titles and links escaped; "[]" for no rows.
void WriteJson(std::ostream& out, const std::vector<ResultRow>& rows);

} // namespace vellmora
