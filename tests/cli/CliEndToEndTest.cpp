// The real vellmora-cli run as a child process against a fixture engine or a scripted server on
// 127.0.0.1: what it prints to standard output and standard error, and its exit status.
#include "search/Search.h"
#include "tests/support/FixtureEngine.h"
#include "tests/support/LoopbackServer.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <poll.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

extern char** environ;

namespace vellmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::HasSubstr;
using testing::StartsWith;

// 中文 in UTF-8.
const std::string kChinese = "\xE4\xB8\xAD\xE6\x96\x87";
const std::string kShare = "pan.example";
const std::string kPage1Suffix =
    "&rsv_bp=0&ch=&tn=baidu&bar=&rsv_spt=3&ie=utf-8&rsv_n=2&rsv_sug3=4&rsv_sug1=3&rsv_sug4=384&inputT=4358";

struct Finished {
    int status = -1; // the exit status, or 128 + the signal that ended the program
    std::string out;
    std::string err;
};

// vellmora-cli with args, its standard output and standard error read through pipes.
class CliProcess {
public:
    explicit CliProcess(const std::vector<std::string>& args) {
        int out[2];
        int err[2];
        if (pipe(out) != 0 || pipe(err) != 0) {
            ADD_FAILURE() << "pipe: errno " << errno;
            return;
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_adddup2(&actions, err[1], 2);
        for (const int fd : {out[0], out[1], err[0], err[1]}) {
            posix_spawn_file_actions_addclose(&actions, fd);
        }
        // The child starts with SIGINT handled by default and unblocked, whatever the test runner set.
        posix_spawnattr_t attributes;
        posix_spawnattr_init(&attributes);
        sigset_t none;
        sigset_t interrupt;
        sigemptyset(&none);
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        posix_spawnattr_setsigmask(&attributes, &none);
        posix_spawnattr_setsigdefault(&attributes, &interrupt);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

        std::vector<char*> argv{const_cast<char*>(VELLMORA_CLI_PATH)};
        for (const std::string& arg : args) {
            argv.push_back(const_cast<char*>(arg.c_str()));
        }
        argv.push_back(nullptr);
        const int error = posix_spawn(&pid_, VELLMORA_CLI_PATH, &actions, &attributes, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
        if (error != 0) {
            ADD_FAILURE() << "posix_spawn: error " << error;
            pid_ = -1;
        }
    }
    ~CliProcess() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        for (const int fd : {out_, err_}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }
    CliProcess(const CliProcess&) = delete;
    CliProcess& operator=(const CliProcess&) = delete;

    void Signal(int signal) const { kill(pid_, signal); }

    // Reads both outputs to their end and waits for the program to exit; a program still running after
    // limit is killed and the test fails.
    Finished Finish(std::chrono::milliseconds limit = 20s) {
        Finished finished;
        const Clock::time_point deadline = Clock::now() + limit;
        pollfd fds[2] = {{out_, POLLIN, 0}, {err_, POLLIN, 0}};
        std::string* sinks[2] = {&finished.out, &finished.err};
        while ((fds[0].fd >= 0 || fds[1].fd >= 0) && Clock::now() < deadline) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (poll(fds, 2, static_cast<int>(left.count()) + 1) < 0 && errno != EINTR) {
                break;
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) {
                    continue;
                }
                char buffer[4096];
                const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
                if (n > 0) {
                    sinks[i]->append(buffer, static_cast<std::size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    fds[i].fd = -1; // poll skips a negative descriptor
                }
            }
        }
        if (fds[0].fd >= 0 || fds[1].fd >= 0) {
            ADD_FAILURE() << "vellmora-cli did not end within " << limit.count() << " ms";
            return finished;
        }
        int status = 0;
        if (pid_ > 0 && waitpid(pid_, &status, 0) == pid_) {
            finished.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            pid_ = -1;
        }
        return finished;
    }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
};

Finished RunCli(const std::vector<std::string>& args) {
    return CliProcess(args).Finish();
}

// The tab-separated lines a search prints for the given pages of the fixture engine, numbered from
// 1, 11 and 21.
std::string FixtureTsv(const std::string& keyword, const std::vector<int>& pages) {
    std::string tsv;
    for (const int page : pages) {
        int number = (page - 1) * kFixtureResultsPerPage;
        for (const FixtureResult& result : FixtureResults(keyword, kShare, page)) {
            tsv += std::to_string(++number) + "\t" + result.title + "\t" + result.link + "\n";
        }
    }
    return tsv;
}

// A whole HTTP answer with body.
std::string Ok(const std::string& body) {
    return "HTTP/1.0 200 OK\x0D\x0A"
           "Content-Type: text/html; charset=utf-8\x0D\x0A\x0D\x0A" +
           body;
}

class CliTest : public testing::Test {
protected:
    void SetUp() override {
        ClearProxyVariables(); // the child inherits the environment
    }
};

TEST_F(CliTest, TsvListsTheThreePagesOfAChineseKeyword) {
    const FixtureEngine engine;
    const Finished run = RunCli({"--search-host", engine.Host(), "--share-host", kShare, kChinese, "pdf"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    // The words joined by one space, converted to GBK and escaped byte by byte as the window does.
    const std::string keyword = kChinese + " pdf";
    EXPECT_EQ(run.out, FixtureTsv(keyword, {1, 2, 3}));
    const std::string query = "/s?wd=site:" + kShare + "+%E4%B8%AD%E6%96%87%20%70%64%66";
    EXPECT_THAT(engine.Targets(), testing::ElementsAre(query + kPage1Suffix, query + "&pn=10&ie=utf-8",
                                                       query + "&pn=20&ie=utf-8"));
}

TEST_F(CliTest, JsonIsOneArrayThatAParserAccepts) {
    const FixtureEngine engine;
    const Finished run =
        RunCli({"--format", "json", "--search-host", engine.Host(), "--share-host", kShare, "--", kChinese});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    nlohmann::ordered_json expected = nlohmann::ordered_json::array();
    for (int page = 1; page <= 3; ++page) {
        int number = (page - 1) * kFixtureResultsPerPage;
        for (const FixtureResult& result : FixtureResults(kChinese, kShare, page)) {
            expected.push_back({{"number", ++number}, {"title", result.title}, {"link", result.link}});
        }
    }
    EXPECT_EQ(nlohmann::ordered_json::parse(run.out), expected); // throws, and fails, on invalid JSON
    EXPECT_THAT(run.out, StartsWith("[\n"));
    EXPECT_THAT(run.out, testing::EndsWith("]\n"));
}

// Each keyword as the engine receives it: converted to GBK as the window converts its keyword box
// (best fit and "?", no composing of combining marks), then escaped byte by byte from UTF-8. Without
// --share-host the build's own share host is searched.
TEST_F(CliTest, KeywordReachesTheEngineAsTheWindowSendsIt) {
    struct Case {
        std::vector<std::string> words;
        std::string escaped;
    };
    const Case cases[] = {
        {{}, ""}, // the site restriction alone
        {{"a", "b"}, "%61%20%62"},
        {{"a  b", "", "c"}, "%61%20%20%62%20%20%63"},
        {{"--", "--verbose", "-x"}, "%2D%2D%76%65%72%62%6F%73%65%20%2D%78"},
        {{"e\xCC\x81"}, "%65%3F"},        // e and a combining acute: not made into one character
        {{"\xC2\xB5"}, "%CE%BC"},         // the micro sign, best fit to the Greek mu of GBK
        {{"\xF0\x9F\x98\x80"}, "%3F%3F"}, // outside GBK: "?" for each UTF-16 unit
        {{"\xFF"}, "%3F"},                // not UTF-8
    };
    const std::string share(BuiltInSearchHosts().shareHost.View());
    for (const Case& c : cases) {
        const FixtureEngine engine;
        std::vector<std::string> args = {"--search-host", engine.Host()};
        args.insert(args.end(), c.words.begin(), c.words.end());
        const Finished run = RunCli(args);
        EXPECT_EQ(run.status, 0) << c.escaped;
        EXPECT_EQ(run.err, "") << c.escaped;
        const std::vector<std::string> targets = engine.Targets();
        ASSERT_EQ(targets.size(), 3u) << c.escaped;
        EXPECT_EQ(targets[1], "/s?wd=site:" + share + "+" + c.escaped + "&pn=10&ie=utf-8");
        EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'), 3 * kFixtureResultsPerPage) << c.escaped;
    }
}

// Page 2 breaks off without an answer: it adds no rows, pages 1 and 3 keep their numbers, and --verbose
// reports every page.
TEST_F(CliTest, FailedPageAddsNoRowsAndVerboseReportsEachPage) {
    const std::string keyword = "kw";
    const std::string page1 = FixtureResultPage(keyword, kShare, 1);
    const std::string page3 = FixtureResultPage(keyword, kShare, 3);
    LoopbackServer server(
        {Answer(Ok(page1)), [](ServerConnection& connection) { connection.Reset(); }, Answer(Ok(page3))});
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    const Finished run = RunCli({"--verbose", "--search-host", host, "--share-host", kShare, keyword});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, FixtureTsv(keyword, {1, 3}));
    const std::string address = "http://" + host + "/s?wd=site:" + kShare + "+%6B%77";
    EXPECT_EQ(run.err, "page 1: " + address + kPage1Suffix + " (" + std::to_string(page1.size()) +
                           " bytes, 10 matches)\n"
                           "page 2: " +
                           address + "&pn=10&ie=utf-8 (0 bytes, 0 matches)\n" + "page 3: " + address +
                           "&pn=20&ie=utf-8 (" + std::to_string(page3.size()) + " bytes, 10 matches)\n");
}

TEST_F(CliTest, NoRowsPrintNothingOrAnEmptyArray) {
    LoopbackServer server(Answer("HTTP/1.0 404 Not Found\x0D\x0A\x0D\x0A<html>Not Found</html>"));
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());
    for (const auto& [format, printed] : {std::pair{"tsv", ""}, std::pair{"json", "[]\n"}}) {
        const Finished run = RunCli({"--format", format, "--search-host", host, "x"});
        EXPECT_EQ(run.status, 0) << format;
        EXPECT_EQ(run.out, printed) << format;
        EXPECT_EQ(run.err, "") << format;
    }
    EXPECT_EQ(server.Connections(), 6);
}

// A title with a tab, a backslash, a quote, a control byte and DEL (percent escapes the page decoding
// turns into those bytes), in both formats.
TEST_F(CliTest, CellsWithSpecialCharactersStayReadable) {
    const std::string page = "<h3 class=\"t\"><a class=\"c\"  href=\"http://s/1?a=%22\"   target=\"_blank\" "
                             ">a%09b\\c\"%01%7F</a></h3>";
    LoopbackServer server(Answer(Ok(page)));
    const std::string host = "127.0.0.1:" + std::to_string(server.Port());

    const Finished tsv = RunCli({"--search-host", host});
    EXPECT_EQ(tsv.status, 0);
    std::string expected;
    for (const char* number : {"1", "11", "21"}) {
        expected += std::string(number) + "\ta\\tb\\\\c\"\x01\x7F\thttp://s/1?a=\"\n";
    }
    EXPECT_EQ(tsv.out, expected);

    const Finished json = RunCli({"--format", "json", "--search-host", host});
    EXPECT_EQ(json.status, 0);
    EXPECT_THAT(json.out, HasSubstr("\"a\\tb\\\\c\\\"\\u0001\\u007f\""));
    const nlohmann::json parsed = nlohmann::json::parse(json.out);
    ASSERT_EQ(parsed.size(), 3u);
    EXPECT_EQ(parsed[2]["number"], 21);
    EXPECT_EQ(parsed[2]["title"], "a\tb\\c\"\x01\x7F");
    EXPECT_EQ(parsed[2]["link"], "http://s/1?a=\"");
}

TEST_F(CliTest, HelpAndVersionPrintToStandardOutputAndSearchNothing) {
    const FixtureEngine engine;
    const Finished help = RunCli({"--search-host", engine.Host(), "--help", "x"});
    EXPECT_EQ(help.status, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_THAT(help.out, HasSubstr("Usage: vellmora-cli [OPTIONS] [KEYWORD...]\n"));
    for (const char* option : {"--format tsv|json", "--search-host HOST[:PORT]", "--share-host HOST",
                               "--verbose", "--version", "--help"}) {
        EXPECT_THAT(help.out, HasSubstr(option));
    }

    const Finished version = RunCli({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, "vellmora-cli 1.0\n");
    EXPECT_EQ(version.err, "");
    EXPECT_TRUE(engine.Targets().empty());
}

TEST_F(CliTest, UsageErrorsExitWithTwoAMessageAndTheUsage) {
    const FixtureEngine engine;
    const std::string usage = RunCli({"--help"}).out;
    const std::vector<std::string> cases[] = {
        {"--bogus", "x"},      {"-x"},
        {"x", "--format"},     {"--format", "xml", "x"},
        {"--format", "TSV"},   {"--search-host"},
        {"x", "--share-host"},
    };
    for (const std::vector<std::string>& bad : cases) {
        std::vector<std::string> args = {"--search-host", engine.Host()};
        args.insert(args.end(), bad.begin(), bad.end());
        const Finished run = RunCli(args);
        const std::string shown = testing::PrintToString(bad);
        EXPECT_EQ(run.status, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        // One line of message, then the usage exactly as --help prints it.
        const std::size_t lineEnd = run.err.find('\n');
        ASSERT_NE(lineEnd, std::string::npos) << shown;
        EXPECT_THAT(run.err.substr(0, lineEnd), StartsWith("vellmora-cli: ")) << shown;
        EXPECT_EQ(run.err.substr(lineEnd + 1), usage) << shown;
    }
    EXPECT_TRUE(engine.Targets().empty());
}

// The engine never answers; Ctrl+C stops the retrieval under way, no later page is asked for, and the
// program ends with 130 without printing rows or page reports.
TEST_F(CliTest, CtrlCStopsTheSearchAndExitsWith130) {
    LoopbackServer server([](ServerConnection& connection) { connection.Stall(30s); });
    CliProcess cli({"--verbose", "--search-host", "127.0.0.1:" + std::to_string(server.Port()), "x"});
    const Clock::time_point deadline = Clock::now() + 10s;
    while (server.Connections() == 0 && Clock::now() < deadline) {
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_EQ(server.Connections(), 1);
    std::this_thread::sleep_for(100ms); // the request sent, the program waiting for the answer

    const Clock::time_point interrupted = Clock::now();
    cli.Signal(SIGINT);
    const Finished run = cli.Finish();
    EXPECT_LT(Clock::now() - interrupted, 5s); // the stall would hold it for 30 s
    EXPECT_EQ(run.status, 130);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(server.Connections(), 1);
}

} // namespace
} // namespace vellmora
