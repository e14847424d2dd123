#include "bench/ResultPage.h"

#include <random>
#include <string_view>

namespace vellmora::bench {
namespace {

// Common Chinese words in UTF-8: 中文 资源 下载 分享 百度 文件 网盘 电影 教程 合集.
constexpr std::string_view kWords[] = {
    "\xE4\xB8\xAD\xE6\x96\x87", "\xE8\xB5\x84\xE6\xBA\x90", "\xE4\xB8\x8B\xE8\xBD\xBD",
    "\xE5\x88\x86\xE4\xBA\xAB", "\xE7\x99\xBE\xE5\xBA\xA6", "\xE6\x96\x87\xE4\xBB\xB6",
    "\xE7\xBD\x91\xE7\x9B\x98", "\xE7\x94\xB5\xE5\xBD\xB1", "\xE6\x95\x99\xE7\xA8\x8B",
    "\xE5\x90\x88\xE9\x9B\x86",
};

class PageWriter {
public:
    explicit PageWriter(unsigned seed) : random_(seed) {}

    std::string& Out() { return out_; }

    std::string_view Word() { return kWords[random_() % std::size(kWords)]; }

    void Sentence(int words) {
        for (int i = 0; i < words; ++i) {
            if (i % 4 == 3) {
                out_ += "<em>";
                out_ += Word();
                out_ += "</em>";
            } else {
                out_ += Word();
            }
            out_ += i % 5 == 4 ? ", " : "";
        }
    }

    // A link whose query carries percent escapes, as the engine writes them.
    void EscapedLink() {
        static constexpr char kHex[] = "0123456789ABCDEF";
        out_ += "http://www.baidu.com/link?url=";
        for (int i = 0; i < 40; ++i) {
            out_ += static_cast<char>('a' + random_() % 26);
        }
        out_ += "&amp;wd=";
        for (const char c : Word()) {
            const auto b = static_cast<unsigned char>(c);
            out_ += '%';
            out_ += kHex[b >> 4];
            out_ += kHex[b & 15];
        }
    }

    void ResultHeading() {
        out_ +=
            "<div class=\"result c-container\"><h3 class=\"t\"><a data-click=\"{'F':'778317EA'}\"  href=\"";
        EscapedLink();
        out_ += "\"   target=\"_blank\" >";
        Sentence(6);
        out_ += "</a></h3><div class=\"c-abstract\">";
        Sentence(40);
        out_ += "</div></div>\n";
    }

    void ScriptLine(std::size_t length) {
        out_ += "<script>var s_session={\"logId\":\"";
        while (length-- > 0) {
            out_ += static_cast<char>("abcdef0123456789;{}()=+.\"%"[random_() % 26]);
        }
        out_ += "\"};</script>\n";
    }

    void StyleLine(std::size_t length) {
        out_ += "<style>";
        while (length > 0) {
            constexpr std::string_view rule = ".c-container .t a{color:#2440b3;text-decoration:none}";
            out_ += rule;
            length = length > rule.size() ? length - rule.size() : 0;
        }
        out_ += "</style>\n";
    }

private:
    std::mt19937 random_;
    std::string out_;
};

} // namespace

std::string MakeResultPage(std::size_t size, unsigned seed) {
    PageWriter page(seed);
    page.Out().reserve(size + 4096);
    page.Out() += "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>site:pan.baidu.com ";
    page.Out() += page.Word();
    page.Out() += "_\xE7\x99\xBE\xE5\xBA\xA6\xE6\x90\x9C\xE7\xB4\xA2</title>\n"; // 百度搜索
    // Headings sit between big blocks of script and style, as on the real pages.
    const std::size_t block = size / 12;
    for (int result = 0; result < 10 && page.Out().size() < size; ++result) {
        page.StyleLine(block / 3);
        page.ScriptLine(block / 3);
        page.ResultHeading();
        page.Out() += "<p>";
        page.Sentence(static_cast<int>(block / 3 / 8));
        page.Out() += "</p>\n";
    }
    while (page.Out().size() < size) {
        page.ScriptLine(size - page.Out().size());
    }
    std::string out = std::move(page.Out());
    out.resize(size);
    return out;
}

} // namespace vellmora::bench
