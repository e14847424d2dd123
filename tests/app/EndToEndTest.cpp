// The whole program path on loopback: a keyword typed into the real window, a click on Search, the
// rows the fixture engine's pages make, and a double-click that opens one of their links.
#include "app/MainWindow.h"
#include "app/QtEvents.h"
#include "app/WindowSearch.h"
#include "tests/support/FixtureEngine.h"
#include "tests/text/Hex.h"
#include "text/CodePage.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vellmora {
namespace {

Text Gbk(const std::string& utf8) {
    return Utf8ToAnsi(ByteSet(utf8));
}

TEST(EndToEnd, SearchListsTheEnginesResultsAndOpensOne) {
    const FixtureEngine engine;
    const std::string share = "pan.example";
    const WaitHook savedWait = InstallQtWaitHook();
    const EventHook savedEvents = InstallQtEventHook();

    MainWindow window;
    std::vector<QUrl> opened;
    window.SetLinkOpener([&](const QUrl& url) { opened.push_back(url); });
    ConnectSearch(window, {Text(engine.Host()), Text(share)});
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    const std::string keyword = "\xE4\xB8\xAD\xE6\x96\x87 pdf"; // 中文 pdf
    auto* box = window.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
    box->setFocus();
    // Chinese comes committed whole by an input method; ASCII comes key by key.
    QInputMethodEvent commit;
    commit.setCommitString(QString::fromUtf8("\xE4\xB8\xAD\xE6\x96\x87"));
    QApplication::sendEvent(box, &commit);
    QTest::keyClicks(box, QStringLiteral(" pdf"));
    QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("按钮1")), Qt::LeftButton);

    // Three pages asked for, in order, with the keyword escaped byte by byte.
    const std::vector<std::string> targets = engine.Targets();
    ASSERT_EQ(targets.size(), 3u);
    const std::string query = "/s?wd=site:" + share + "+%E4%B8%AD%E6%96%87%20%70%64%66";
    EXPECT_EQ(targets[0].rfind(query + "&rsv_bp=0", 0), 0u) << targets[0];
    EXPECT_EQ(targets[1], query + "&pn=10&ie=utf-8");
    EXPECT_EQ(targets[2], query + "&pn=20&ie=utf-8");

    // Every result of every page, numbered 1–10, 11–20, 21–30, without tags, in GBK.
    auto* list = window.findChild<QTableWidget*>(QStringLiteral("超级列表框1"));
    ASSERT_EQ(list->rowCount(), 3 * kFixtureResultsPerPage);
    int row = 0;
    for (int page = 1; page <= 3; ++page) {
        for (const FixtureResult& result : FixtureResults(keyword, share, page)) {
            EXPECT_EQ(window.GetCellText(row, 0), IntToText(row + 1));
            EXPECT_EQ(window.GetCellText(row, 1), Gbk(result.title)) << row;
            EXPECT_EQ(window.GetCellText(row, 2), Gbk(result.link)) << row;
            ++row;
        }
    }

    // Double-clicking row 12 opens its link.
    list->scrollToItem(list->item(11, 1));
    const QPoint point = list->visualItemRect(list->item(11, 1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, point);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl(QString::fromUtf8(FixtureResults(keyword, share, 2)[1].link)));

    window.close();
    SetWaitHook(savedWait);
    SetEventHook(savedEvents);
}

} // namespace
} // namespace vellmora
