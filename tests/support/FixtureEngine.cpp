#include "tests/support/FixtureEngine.h"

#include <cstdlib>

namespace vellmora {
namespace {

// Words of the titles, UTF-8: 资源 (resource), 合集 (collection), 第 … 集 (part …), 百度网盘 (the share).
constexpr std::string_view kResource = "\xE8\xB5\x84\xE6\xBA\x90";
constexpr std::string_view kCollection = "\xE5\x90\x88\xE9\x9B\x86";
constexpr std::string_view kPart = "\xE7\xAC\xAC";
constexpr std::string_view kVolume = "\xE9\x9B\x86";
constexpr std::string_view kShare = "\xE7\x99\xBE\xE5\xBA\xA6\xE7\xBD\x91\xE7\x9B\x98";

std::string PercentEncode(std::string_view bytes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        out += '%';
        out += kHex[b >> 4];
        out += kHex[b & 15];
    }
    return out;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(std::string(text.substr(i + 1, 2)).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

// The value of key in the query of target, still escaped; empty when missing.
std::string_view QueryValue(std::string_view target, std::string_view key) {
    const std::size_t query = target.find('?');
    if (query == std::string_view::npos) {
        return {};
    }
    std::string_view rest = target.substr(query + 1);
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('&'), rest.size());
        const std::string_view pair = rest.substr(0, end);
        if (pair.size() > key.size() && pair.substr(0, key.size()) == key && pair[key.size()] == '=') {
            return pair.substr(key.size() + 1);
        }
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
    return {};
}

std::string Response(std::string_view status, std::string_view body) {
    return "HTTP/1.0 " + std::string(status) +
           "\x0D\x0A"
           "Content-Type: text/html; charset=utf-8\x0D\x0A"
           "Content-Length: " +
           std::to_string(body.size()) + "\x0D\x0A\x0D\x0A" + std::string(body);
}

void AnswerSearch(ServerConnection& connection) {
    const std::string target = connection.Target();
    if (target.rfind("/s?", 0) != 0) {
        connection.Send(Response("404 Not Found", "<html><body>Not Found</body></html>"));
        return;
    }
    // wd is "site:" HOST "+" KEYWORD, the keyword fully escaped.
    const std::string wd(QueryValue(target, "wd"));
    const std::size_t plus = wd.find('+');
    const std::string shareHost = wd.rfind("site:", 0) == 0 ? wd.substr(5, plus - 5) : std::string();
    const std::string keyword =
        plus == std::string::npos ? std::string() : PercentDecode(wd.substr(plus + 1));
    const int page = 1 + std::atoi(std::string(QueryValue(target, "pn")).c_str()) / 10;
    connection.Send(Response("200 OK", FixtureResultPage(keyword, shareHost, page)));
}

} // namespace

std::vector<FixtureResult> FixtureResults(std::string_view keyword, std::string_view shareHost, int page) {
    std::vector<FixtureResult> results;
    for (int i = 1; i <= kFixtureResultsPerPage; ++i) {
        const std::string n = std::to_string((page - 1) * kFixtureResultsPerPage + i);
        results.push_back({std::string(keyword) + " " + std::string(kResource) + std::string(kCollection) +
                               " " + std::string(kPart) + n + std::string(kVolume) + " - " +
                               std::string(kShare),
                           "http://" + std::string(shareHost) + "/s/1v" + n + "?kw=" + std::string(keyword)});
    }
    return results;
}

std::string FixtureResultPage(std::string_view keyword, std::string_view shareHost, int page) {
    std::string html =
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>site:" + std::string(shareHost) + " " +
        std::string(keyword) + "</title>\n";
    html +=
        "<style>.c-container .t a{color:#2440b3;text-decoration:none}.c-abstract{font-size:13px}</style>\n";
    html += "<script>var "
            "s_session={\"logId\":\"3958021867\",\"seqId\":\"71%\",\"sid\":\"36542_39112\"};</script>\n";
    html += "</head><body><div id=\"content_left\">\n";
    int id = 0;
    for (const FixtureResult& result : FixtureResults(keyword, shareHost, page)) {
        // The title as the engine writes it: the keyword highlighted; the link with its query escaped.
        std::string title = result.title;
        title.replace(0, keyword.size(), "<em>" + std::string(keyword) + "</em>");
        const std::size_t query = result.link.find("?kw=") + 4;
        const std::string link = result.link.substr(0, query) + PercentEncode(result.link.substr(query));
        html += "<div class=\"result c-container\" id=\"" + std::to_string(++id) +
                "\"><h3 class=\"t\"><a data-click=\"{'F':'778317EA'}\"  href=\"" + link +
                "\"   target=\"_blank\" >" + title + "</a></h3><div class=\"c-abstract\"><em>" +
                std::string(keyword) + "</em> " + std::string(kResource) + "</div></div>\n";
    }
    html += "</div><div id=\"page\"><a href=\"/s?wd=site%3A" + std::string(shareHost) +
            "&pn=10\">2</a>"
            "<a href=\"/s?wd=site%3A" +
            std::string(shareHost) + "&pn=20\">3</a></div>\n";
    return html + "</body></html>\n";
}

FixtureEngine::FixtureEngine(int port) : server_(AnswerSearch, port) {}

std::string FixtureEngine::Host() const {
    return "127.0.0.1:" + std::to_string(server_.Port());
}

std::vector<std::string> FixtureEngine::Targets() const {
    std::vector<std::string> targets;
    for (const std::string& request : server_.Requests()) {
        const std::size_t start = request.find(' ') + 1;
        targets.push_back(request.substr(start, request.find(' ', start) - start));
    }
    return targets;
}

} // namespace vellmora
