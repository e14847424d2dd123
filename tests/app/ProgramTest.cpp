// The program's life as main runs it: a search waiting on a server that never answers, and the window
// closed meanwhile.
#include "app/Program.h"

#include "app/MainWindow.h"
#include "search/HttpGetTesting.h"
#include "tests/support/LoopbackServer.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <qpa/qwindowsysteminterface.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

namespace vellmora {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

MainWindow* TheMainWindow() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = dynamic_cast<MainWindow*>(widget)) {
            return window;
        }
    }
    return nullptr;
}

// The program's own time-outs stay in force: the stalled retrieval alone would take 15 s. While it
// waits, the window gets a close request the way a window manager's close button or Alt+F4 sends it:
// through the window system's queue, where Qt counts it as user input. It must end the wait, the rest
// of the search and the event loop within a second, with code 0.
TEST(Program, ClosingTheWindowWhileASearchWaitsOnAStalledServerEndsTheProgramWithinASecond) {
    ClearProxyVariables();
    bool clientLeft = false;
    LoopbackServer server([&](ServerConnection& connection) { clientLeft = connection.Stall(30s); });

    bool clicked = false;
    Clock::time_point closedAt = Clock::time_point::max();
    QTimer::singleShot(0, [&] {
        MainWindow* window = TheMainWindow();
        ASSERT_NE(window, nullptr);
        QTimer::singleShot(300ms, window, [&closedAt, window] {
            closedAt = Clock::now();
            QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                window->windowHandle());
        });
        // Should the request be lost, the test still ends, and fails.
        QTimer::singleShot(20s, window, [window] { window->close(); });
        clicked = true;
        QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("按钮1")), Qt::LeftButton);
    });
    const int code = RunMainWindow({Text("127.0.0.1:" + std::to_string(server.Port())), Text("pan.example")});
    const Clock::time_point ended = Clock::now();

    EXPECT_EQ(code, 0);
    EXPECT_TRUE(clicked);
    ASSERT_NE(closedAt, Clock::time_point::max());
    EXPECT_LT(ended - closedAt, 1s);
    ASSERT_TRUE(server.WaitForReplies(1));
    EXPECT_TRUE(clientLeft);
    EXPECT_EQ(server.Connections(), 1); // pages 2 and 3 were never asked for
    ResumeRetrievals();
}

// A click on Search and a key press that arrive, through the window system, while a retrieval waits
// run no handler inside it: they are handed on in their order once the search is over, so the key
// reaches the keyword box first and the click then runs a second search with that keyword.
TEST(Program, InputDuringARetrievalIsHandledAfterItInItsOrder) {
    ClearProxyVariables();
    const RetrievalTimeouts saved = SetRetrievalTimeouts({500ms, 1s, 1000});
    LoopbackServer server([](ServerConnection& connection) { connection.Stall(30s); });

    QTimer poll;
    const Clock::time_point start = Clock::now();
    QTimer::singleShot(0, [&] {
        MainWindow* window = TheMainWindow();
        ASSERT_NE(window, nullptr);
        QWindow* handle = window->windowHandle();
        auto* box = window->findChild<QLineEdit*>(QStringLiteral("编辑框1"));
        auto* button = window->findChild<QPushButton*>(QStringLiteral("按钮1"));
        window->activateWindow();
        QTimer::singleShot(300ms, window, [handle, window, box, button] {
            using Wsi = QWindowSystemInterface;
            box->setFocus(); // the click that started the search gave the focus to the button
            Wsi::handleKeyEvent<Wsi::AsynchronousDelivery>(handle, QEvent::KeyPress, Qt::Key_K,
                                                           Qt::NoModifier, QStringLiteral("k"));
            Wsi::handleKeyEvent<Wsi::AsynchronousDelivery>(handle, QEvent::KeyRelease, Qt::Key_K,
                                                           Qt::NoModifier, QStringLiteral("k"));
            const QPointF at = button->mapTo(window, button->rect().center());
            const QPointF global = window->mapToGlobal(at);
            Wsi::handleMouseEvent<Wsi::AsynchronousDelivery>(handle, at, global, Qt::LeftButton,
                                                             Qt::LeftButton, QEvent::MouseButtonPress);
            Wsi::handleMouseEvent<Wsi::AsynchronousDelivery>(handle, at, global, Qt::NoButton, Qt::LeftButton,
                                                             QEvent::MouseButtonRelease);
        });
        // The window closes during the second search's last retrieval, or after 20 s whatever happened.
        QObject::connect(&poll, &QTimer::timeout, window, [&server, &start, handle] {
            if (server.Connections() >= 6 || Clock::now() - start > 20s) {
                QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::AsynchronousDelivery>(
                    handle);
            }
        });
        poll.start(50ms);
        QTest::mouseClick(button, Qt::LeftButton);
    });
    EXPECT_EQ(RunMainWindow({Text("127.0.0.1:" + std::to_string(server.Port())), Text("pan.example")}), 0);
    poll.stop();
    SetRetrievalTimeouts(saved);
    ResumeRetrievals();

    // Page 1, 2 and 3 of the first search, then of the second, whose keyword is the key pressed.
    std::vector<std::string> targets;
    for (const std::string& request : server.Requests()) {
        const std::size_t from = request.find(' ') + 1;
        targets.push_back(request.substr(from, request.find(' ', from) - from));
    }
    ASSERT_EQ(targets.size(), 6u);
    const std::string query = "/s?wd=site:pan.example+";
    EXPECT_TRUE(targets[0].starts_with(query + "&rsv_bp=0")) << targets[0];
    EXPECT_EQ(targets[1], query + "&pn=10&ie=utf-8");
    EXPECT_EQ(targets[2], query + "&pn=20&ie=utf-8");
    EXPECT_TRUE(targets[3].starts_with(query + "%6B&rsv_bp=0")) << targets[3];
    EXPECT_EQ(targets[4], query + "%6B&pn=10&ie=utf-8");
    EXPECT_EQ(targets[5], query + "%6B&pn=20&ie=utf-8");
}

} // namespace
} // namespace vellmora
