#include "cli/CommandLine.h"

#include "cli/CliSearch.h"
#include "text/CodePage.h"

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace vellmora {
namespace {

// What the command line asks for, read by CLI11, which also writes the usage text.
class Options {
public:
    Options() {
        const SearchHosts builtIn = BuiltInSearchHosts();
        app_.description(
            "Searches the web search engine for files shared on the file-sharing service, as the\n"
            "Vellmora window does, and prints the numbered results.");
        app_.set_help_flag("-h,--help", "Print this usage and exit");
        app_.set_version_flag("--version", std::string("vellmora-cli ") + VELLMORA_VERSION,
                              "Print the version and exit");
        app_.add_option("--format", format_, "Output: one tab-separated line per result, or a JSON array")
            ->check(CLI::IsMember({"tsv", "json"}).description(""))
            ->type_name("tsv|json")
            ->capture_default_str();
        searchHostOption_ = app_.add_option("--search-host", searchHost_, "Search engine that answers /s")
                                ->type_name("HOST[:PORT]")
                                ->default_str(AnsiToUtf8(builtIn.searchHost).Bytes());
        shareHostOption_ = app_.add_option("--share-host", shareHost_, "File-sharing service searched for")
                               ->type_name("HOST")
                               ->default_str(AnsiToUtf8(builtIn.shareHost).Bytes());
        app_.add_flag("--verbose", verbose_,
                      "Write each page's address, bytes received and matches to standard error");
        app_.add_option("KEYWORD", keywordWords_,
                        "Words of the keyword, joined by single spaces; none searches the whole service")
            ->type_name("");
    }

    CLI::App& App() { return app_; }
    [[nodiscard]] bool Json() const { return format_ == "json"; }
    [[nodiscard]] bool Verbose() const { return verbose_; }
    [[nodiscard]] Text Keyword() const { return CommandLineKeyword(keywordWords_); }
    /// The built-in hosts, each replaced by the one the command line gives.
    [[nodiscard]] SearchHosts Hosts() const {
        SearchHosts hosts = BuiltInSearchHosts();
        if (searchHostOption_->count() > 0) {
            hosts.searchHost = CommandLineText(searchHost_);
        }
        if (shareHostOption_->count() > 0) {
            hosts.shareHost = CommandLineText(shareHost_);
        }
        return hosts;
    }

private:
    CLI::App app_{"", "vellmora-cli"};
    std::string format_ = "tsv";
    std::string searchHost_;
    std::string shareHost_;
    bool verbose_ = false;
    std::vector<std::string> keywordWords_;
    CLI::Option* searchHostOption_ = nullptr;
    CLI::Option* shareHostOption_ = nullptr;
};

void WriteVerbose(std::ostream& err, const std::vector<PageReport>& pages) {
    int page = 0;
    for (const PageReport& report : pages) {
        err << "page " << ++page << ": " << AnsiToUtf8(report.address).View() << " (" << report.byteCount
            << " bytes, " << report.matchCount << " matches)\n";
    }
}

} // namespace

int RunCommandLine(int argc, const char* const argv[], std::ostream& out, std::ostream& err,
                   const std::function<bool()>& interrupted) {
    Options options;
    try {
        options.App().parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        if (e.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
            return options.App().exit(e, out, err); // --help or --version
        }
        err << "vellmora-cli: " << e.what() << '\n' << options.App().help();
        return kExitUsageError;
    }

    const SearchOutcome outcome = RunSearch(options.Keyword(), options.Hosts());
    if (interrupted()) {
        return kExitInterrupted;
    }
    if (options.Verbose()) {
        WriteVerbose(err, outcome.pages);
        err.flush();
    }
    if (options.Json()) {
        WriteJson(out, outcome.rows);
    } else {
        WriteTsv(out, outcome.rows);
    }
    out.flush();
    return 0;
}

} // namespace vellmora
