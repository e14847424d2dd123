// The whole page path of a search: three raw result pages, as any server could send them, through
// decoding, conversion to GBK, removal of highlight tags and the result pattern, to numbered rows in
// a view.
//
// Input: the GBK keyword, then the bytes of pages 1, 2 and 3, separated by zero bytes.
#include "fuzz/FuzzSupport.h"
#include "regex/RegexMatcher.h"
#include "search/Search.h"
#include "text/ReplaceMany.h"
#include "text/UrlDecode.h"
#include "text/UrlEncode.h"

#include <array>

namespace vellmora::fuzz {
namespace {

const Text kResultPattern("\"  href=\"(.*?)\"   target=\"_blank\" >(.*?)</a></h3>");
const char* const kSuffixes[3] = {
    "&rsv_bp=0&ch=&tn=baidu&bar=&rsv_spt=3&ie=utf-8&rsv_n=2&rsv_sug3=4&rsv_sug1=3&rsv_sug4=384&inputT=4358",
    "&pn=10&ie=utf-8",
    "&pn=20&ie=utf-8",
};

class RecordingView : public SearchView {
public:
    explicit RecordingView(Text keyword) : keyword_(std::move(keyword)) {}

    [[nodiscard]] Text KeywordText() const override { return keyword_; }
    void RemoveAllRows() override { rows.clear(); }
    int AppendRow() override {
        rows.emplace_back();
        return static_cast<int>(rows.size()) - 1;
    }
    void SetCellText(int row, int column, const Text& text) override {
        FUZZ_CHECK(row >= 0 && static_cast<std::size_t>(row) < rows.size() && column >= 0 && column < 3);
        rows[static_cast<std::size_t>(row)][static_cast<std::size_t>(column)] = text;
    }

    std::vector<std::array<Text, 3>> rows;

private:
    Text keyword_;
};

} // namespace
} // namespace vellmora::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace vellmora;
    using namespace vellmora::fuzz;
    const std::vector<std::string> fields = ZeroSeparatedFields(AsBytes(data, size), 4);
    const Text keyword(fields[0]);
    const SearchHosts hosts{Text("127.0.0.1:8080"), Text("pan.example")};

    RecordingView view(keyword);
    view.rows.resize(3); // rows of an earlier search, which the search removes first
    std::vector<Text> addresses;
    OnSearchClicked(
        view,
        [&](const Text& address) {
            addresses.push_back(address);
            return ByteSet(fields[addresses.size()]);
        },
        hosts);

    FUZZ_CHECK(addresses.size() == 3);
    const Text encoded = UrlEncode(keyword);
    for (std::size_t p = 0; p < 3; ++p) {
        FUZZ_CHECK(addresses[p] == ConcatText(SearchAddressPrefix(hosts), encoded, Text(kSuffixes[p])));
    }

    // Each page's rows, in page order: the number, then the title and the link of each match, each of
    // them standing in the prepared page where the matcher found it.
    std::size_t row = 0;
    for (int p = 1; p <= 3; ++p) {
        const Text page = ReplaceMany(UrlDecode(BytesToText(ByteSet(fields[static_cast<std::size_t>(p)]))),
                                      {}, {}, false, {Text("<em>"), Text()}, {Text("</em>"), Text()});
        RegexMatcher matcher;
        FUZZ_CHECK(matcher.Create(kResultPattern, page));
        for (int i = 1; i <= matcher.GetMatchCount(); ++i, ++row) {
            FUZZ_CHECK(row < view.rows.size());
            const std::array<Text, 3>& cells = view.rows[row];
            FUZZ_CHECK(cells[0] == (p == 1 ? IntToText(i) : IntToText(i + 10 * (p - 1))));
            int titleAt = -1;
            int linkAt = -1;
            FUZZ_CHECK(cells[1] == matcher.GetSubMatchText(i, 2, &titleAt));
            FUZZ_CHECK(cells[2] == matcher.GetSubMatchText(i, 1, &linkAt));
            for (const auto& [text, at] : {std::pair{cells[1], titleAt}, std::pair{cells[2], linkAt}}) {
                FUZZ_CHECK(HoldsNoZeroByte(text));
                FUZZ_CHECK(text.View().find('\n') == std::string_view::npos);
                FUZZ_CHECK(at >= 0 && page.View().substr(static_cast<std::size_t>(at), text.View().size()) ==
                                          text.View());
            }
        }
    }
    FUZZ_CHECK(row == view.rows.size());
    return 0;
}
