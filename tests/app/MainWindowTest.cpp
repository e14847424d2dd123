#include "app/MainWindow.h"

#include "app/QtEvents.h"
#include "tests/text/Hex.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QIcon>
#include <QImage>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

// Failure messages show addresses as text.
static void PrintTo(const QUrl& url, std::ostream* os) {
    *os << url.toString().toStdString();
}

namespace vellmora {
namespace {

// A shown, active window whose links go to a list instead of a browser.
class MainWindowTest : public testing::Test {
protected:
    void SetUp() override {
        window_.SetLinkOpener([this](const QUrl& url) { opened_.push_back(url); });
        window_.SetSearchHandler([this] { ++searches_; });
        window_.show();
        window_.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window_));
    }

    [[nodiscard]] QLabel* Label() const { return window_.findChild<QLabel*>(QStringLiteral("标签1")); }
    [[nodiscard]] QLineEdit* KeywordBox() const {
        return window_.findChild<QLineEdit*>(QStringLiteral("编辑框1"));
    }
    [[nodiscard]] QPushButton* SearchButton() const {
        return window_.findChild<QPushButton*>(QStringLiteral("按钮1"));
    }
    [[nodiscard]] QTableWidget* List() const {
        return window_.findChild<QTableWidget*>(QStringLiteral("超级列表框1"));
    }

    // Appends rows whose cells hold the given texts, columns 0, 1 and 2.
    void AddRows(const std::vector<std::vector<std::string>>& rows) {
        for (const auto& cells : rows) {
            const int row = window_.AppendRow();
            for (std::size_t column = 0; column < cells.size(); ++column) {
                window_.SetCellText(row, static_cast<int>(column), Text(cells[column]));
            }
        }
    }

    // The centre of a row's cell in the visible column 1, in the list's viewport.
    [[nodiscard]] QPoint RowPoint(int row) const {
        return List()->visualRect(List()->model()->index(row, 1)).center();
    }

    void ClickRow(int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, modifiers, RowPoint(row));
    }

    // A double-click as the window system delivers it: press, release, press, release, so the first
    // click changes the selection before the double-click arrives.
    void DoubleClick(QPoint inViewport) {
        QTest::mouseDClick(window_.windowHandle(), Qt::LeftButton, Qt::NoModifier,
                           List()->viewport()->mapTo(&window_, inViewport));
    }

    [[nodiscard]] QPoint BelowTheLastRow() const { return {5, List()->viewport()->height() - 3}; }

    // Text entered the way an input method enters Chinese: committed whole.
    void Type(QWidget* control, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(control, &commit);
    }

    MainWindow window_;
    std::vector<QUrl> opened_;
    int searches_ = 0;
};

TEST_F(MainWindowTest, FixedWindowCentredOnTheScreen) {
    EXPECT_EQ(window_.windowTitle(), QStringLiteral("Vellmora v1.0"));
    EXPECT_EQ(window_.size(), QSize(320, 320));
    EXPECT_EQ(window_.minimumSize(), QSize(320, 320));
    EXPECT_EQ(window_.maximumSize(), QSize(320, 320));
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window_.geometry().topLeft(),
              screen.topLeft() + QPoint((screen.width() - 320) / 2, (screen.height() - 320) / 2));

    const Qt::WindowFlags flags = window_.windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));

    // Each size is its own drawing, not a scaled copy of another.
    const QIcon icon = window_.windowIcon();
    for (const int size : {16, 32, 48, 64, 96, 128}) {
        EXPECT_TRUE(icon.availableSizes().contains(QSize(size, size))) << size;
        const QImage drawing(QStringLiteral(":/icons/vellmora-%1.png").arg(size));
        EXPECT_EQ(drawing.size(), QSize(size, size));
        EXPECT_EQ(icon.pixmap(QSize(size, size)).toImage().convertToFormat(drawing.format()), drawing)
            << size;
    }
}

TEST_F(MainWindowTest, ControlsAtTheirPlacesWithTheirTexts) {
    struct Case {
        QWidget* control;
        QRect geometry;
        Qt::FocusPolicy focus;
    } cases[] = {
        {Label(), QRect(8, 16, 80, 24), Qt::NoFocus},
        {KeywordBox(), QRect(96, 16, 160, 24), Qt::StrongFocus},
        {SearchButton(), QRect(264, 16, 48, 24), Qt::StrongFocus},
        {List(), QRect(0, 48, 320, 272), Qt::StrongFocus},
    };
    for (const Case& c : cases) {
        ASSERT_NE(c.control, nullptr);
        EXPECT_EQ(c.control->geometry(), c.geometry) << c.control->objectName().toStdString();
        EXPECT_EQ(c.control->focusPolicy(), c.focus) << c.control->objectName().toStdString();
    }
    EXPECT_EQ(Label()->text(), QStringLiteral("搜索的东西："));
    EXPECT_EQ(SearchButton()->text(), QStringLiteral("搜索"));
    EXPECT_TRUE(KeywordBox()->text().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), KeywordBox());
}

TEST_F(MainWindowTest, ResultListStartsEmptyWithTwoVisibleColumns) {
    QTableWidget* list = List();
    EXPECT_EQ(list->rowCount(), 0);
    ASSERT_EQ(list->columnCount(), 3);
    const QString titles[] = {QStringLiteral("序号"), QStringLiteral("名称"), QStringLiteral("地址")};
    const int widths[] = {30, 320, 0};
    for (int column = 0; column < 3; ++column) {
        EXPECT_EQ(list->horizontalHeaderItem(column)->text(), titles[column]);
        EXPECT_EQ(list->horizontalHeader()->sectionSize(column), widths[column]);
        EXPECT_FALSE(list->isColumnHidden(column)); // the link column exists, only narrow
    }
    EXPECT_TRUE(list->horizontalHeader()->isVisible());
    EXPECT_FALSE(list->verticalHeader()->isVisible());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    // Compact rows: well below the roomy height the style would give.
    AddRows({{"1", "a", "b"}});
    EXPECT_LE(list->rowHeight(0), list->fontMetrics().height() + 6);
}

TEST_F(MainWindowTest, LinkColumnCanBeDraggedOpen) {
    QTableWidget* list = List();
    QHeaderView* header = list->horizontalHeader();
    list->horizontalScrollBar()->setValue(list->horizontalScrollBar()->maximum());
    const int divider = header->sectionViewportPosition(2);
    ASSERT_LT(divider + 1, header->width()); // scrolled into view, with room right of it

    QTest::mousePress(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(divider + 1, 5));
    QTest::mouseMove(header->viewport(), QPoint(divider + 100, 5));
    QTest::mouseRelease(header->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(divider + 100, 5));
    EXPECT_EQ(header->sectionSize(2), 100);
    EXPECT_EQ(header->sectionSize(1), 320);
}

TEST_F(MainWindowTest, HeaderClicksNeitherSortNorSelect) {
    AddRows({{"3", "c"}, {"1", "a"}, {"2", "b"}});
    QHeaderView* header = List()->horizontalHeader();
    for (const int section : {0, 1, 0}) {
        const QPoint middle(header->sectionViewportPosition(section) + header->sectionSize(section) / 2, 5);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, Qt::NoModifier, middle);
    }
    EXPECT_EQ(window_.SelectedRow(), -1);
    EXPECT_TRUE(List()->selectionModel()->selection().isEmpty());
    EXPECT_EQ(window_.GetCellText(0, 0), Text("3"));
    EXPECT_EQ(window_.GetCellText(1, 0), Text("1"));
    EXPECT_EQ(window_.GetCellText(2, 0), Text("2"));
}

TEST_F(MainWindowTest, EscClosesFromEveryControl) {
    window_.close(); // this test makes its own windows
    struct Case {
        const char* name;
        const char* typed;
    } cases[] = {{"编辑框1", "ab"}, {"编辑框1", ""}, {"按钮1", ""}, {"超级列表框1", ""}};
    for (const Case& c : cases) {
        MainWindow window;
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        const int row = window.AppendRow();
        window.SetCellText(row, 2, Text("http://example.com/"));
        auto* control = window.findChild<QWidget*>(QString::fromUtf8(c.name));
        control->setFocus();
        QTest::keyClicks(control, c.typed);
        QTest::keyClick(control, Qt::Key_Escape);
        EXPECT_TRUE(window.IsClosed()) << c.name << " '" << c.typed << "'";
        EXPECT_FALSE(window.isVisible()) << c.name;
    }
}

TEST_F(MainWindowTest, EnterAndF1DoNothing) {
    AddRows({{"1", "a", "http://example.com/"}});
    ClickRow(0);
    QTest::keyClicks(KeywordBox(), "ab");
    for (QWidget* control : {static_cast<QWidget*>(KeywordBox()), static_cast<QWidget*>(SearchButton()),
                             static_cast<QWidget*>(List())}) {
        control->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_F1}) {
            QTest::keyClick(control, key);
            EXPECT_EQ(QApplication::focusWidget(), control) << control->objectName().toStdString() << key;
        }
    }
    EXPECT_EQ(searches_, 0);
    EXPECT_TRUE(opened_.empty());
    EXPECT_FALSE(window_.IsClosed());
    EXPECT_EQ(KeywordBox()->text(), QStringLiteral("ab"));
    EXPECT_EQ(window_.SelectedRow(), 0);

    QTest::mouseClick(SearchButton(), Qt::LeftButton); // the button itself works
    QTest::keyClick(SearchButton(), Qt::Key_Space);
    EXPECT_EQ(searches_, 2);
}

TEST_F(MainWindowTest, TabGoesKeywordBoxThenButtonThenListAndLeavesTheList) {
    AddRows({{"1", "a", "x"}, {"2", "b", "y"}});
    ClickRow(0);
    KeywordBox()->setFocus();
    QWidget* expected[] = {SearchButton(), List(), KeywordBox(), SearchButton()};
    for (QWidget* next : expected) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    EXPECT_EQ(QApplication::focusWidget(), KeywordBox());
}

TEST_F(MainWindowTest, KeywordTextIsTheBoxInGbk) {
    struct Case {
        const char16_t* typed;
        const char* gbk;
    } cases[] = {
        {u"", ""},
        {u"ab 1", "ab 1"},
        {u"中", "\xD6\xD0"},
        {u"中a文", "\xD6\xD0"
                   "a\xCE\xC4"},
        {u"\u00A5", "\xA3\xA4"}, // best fit: the yen sign becomes the full-width one
        {u"\u0E01", "?"},        // a Thai letter: nothing in GBK
        {u"A\u0300", "A?"},      // no composite check: the combining grave stays apart
        {u"\u20AC", "\x80"},     // the euro sign's single byte
    };
    for (const Case& c : cases) {
        KeywordBox()->clear();
        Type(KeywordBox(), QString::fromUtf16(c.typed));
        EXPECT_EQ(window_.KeywordText(), Text(c.gbk)) << KeywordBox()->text().toStdString();
    }
}

TEST_F(MainWindowTest, KeywordBoxHasNoLengthLimitOfItsOwn) {
    KeywordBox()->setText(QString(40000, u'a'));
    EXPECT_EQ(window_.KeywordText(), Text(std::string(40000, 'a')));
}

TEST_F(MainWindowTest, AppendRowCountsAndRemoveAllRowsEmpties) {
    for (int expected = 0; expected < 4; ++expected) {
        EXPECT_EQ(window_.AppendRow(), expected);
    }
    window_.SetCellText(3, 1, Text("x"));
    window_.RemoveAllRows();
    EXPECT_EQ(List()->rowCount(), 0);
    EXPECT_EQ(window_.GetCellText(3, 1), Text());
    EXPECT_EQ(window_.AppendRow(), 0);
    EXPECT_EQ(window_.GetCellText(0, 1), Text()); // a new row starts empty
}

TEST_F(MainWindowTest, CellsGiveBackTheirExactBytes) {
    std::string thousand;
    for (int i = 0; i < 500; ++i) {
        thousand += "\xD6\xD0";
    }
    struct Case {
        std::string bytes;
        QString shown;
    } cases[] = {
        {"12", QStringLiteral("12")},
        {"\xD6\xD0\xCE\xC4", QStringLiteral("中文")},
        {"a\x81", QStringLiteral("a?")},                   // a lead byte without its trail byte
        {"\xFF\x80", QString::fromUtf16(u"\uF8F5\u20AC")}, // bytes that decode oddly come back whole
        {thousand, QString(500, QChar(u'中'))},
    };
    for (const Case& c : cases) {
        window_.RemoveAllRows();
        const int row = window_.AppendRow();
        window_.SetCellText(row, 1, Text(c.bytes));
        EXPECT_EQ(window_.GetCellText(row, 1), Text(c.bytes));
        EXPECT_EQ(List()->item(row, 1)->text(), c.shown) << c.bytes;
    }
    EXPECT_EQ(TextLength(window_.GetCellText(0, 1)), 1000);

    window_.SetCellText(0, 1, Text()); // an empty text empties the cell
    EXPECT_EQ(window_.GetCellText(0, 1), Text());
    EXPECT_TRUE(List()->item(0, 1) == nullptr || List()->item(0, 1)->text().isEmpty());
}

TEST_F(MainWindowTest, CellsOutsideTheListAreEmptyAndStayUntouched) {
    AddRows({{"1", "a", "http://example.com/"}});
    const struct {
        int row;
        int column;
    } outside[] = {{-1, 2}, {-1, 0}, {1, 0}, {1, 2}, {0, -1}, {0, 3}, {100, 1}};
    for (const auto& cell : outside) {
        window_.SetCellText(cell.row, cell.column, Text("z"));
        EXPECT_EQ(window_.GetCellText(cell.row, cell.column), Text()) << cell.row << ',' << cell.column;
    }
    EXPECT_EQ(List()->rowCount(), 1);
    EXPECT_EQ(List()->columnCount(), 3);
    EXPECT_EQ(window_.GetCellText(0, 0), Text("1"));
    EXPECT_EQ(window_.GetCellText(0, 1), Text("a"));
    EXPECT_EQ(window_.GetCellText(0, 2), Text("http://example.com/"));
}

TEST_F(MainWindowTest, SelectedRowIsTheLowestSelected) {
    AddRows({{"1"}, {"2"}, {"3"}, {"4"}, {"5"}, {"6"}});
    EXPECT_EQ(window_.SelectedRow(), -1);
    ClickRow(4);
    EXPECT_EQ(window_.SelectedRow(), 4);
    EXPECT_TRUE(List()->selectionModel()->isRowSelected(4, {})); // the whole row
    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(window_.SelectedRow(), 2);
    EXPECT_EQ(List()->selectionModel()->selectedRows().size(), 2);
    ClickRow(5, Qt::ShiftModifier);
    EXPECT_EQ(List()->selectionModel()->selectedRows().size(), 4); // 2 to 5
    ClickRow(2, Qt::ControlModifier);
    EXPECT_EQ(window_.SelectedRow(), 3);
    QTest::mouseClick(List()->viewport(), Qt::LeftButton, Qt::NoModifier, BelowTheLastRow());
    EXPECT_EQ(window_.SelectedRow(), -1);
}

TEST_F(MainWindowTest, KeysMoveBetweenRowsAndScrollSideways) {
    for (int i = 0; i < 40; ++i) {
        AddRows({{"1", "a", "b"}});
    }
    ClickRow(0); // a title cell wider than the list
    QTest::keyClick(List(), Qt::Key_End);
    EXPECT_EQ(window_.SelectedRow(), 39);
    EXPECT_GT(List()->verticalScrollBar()->value(), 0);
    EXPECT_EQ(List()->horizontalScrollBar()->value(), 0);
    QTest::keyClick(List(), Qt::Key_Home);
    EXPECT_EQ(window_.SelectedRow(), 0);
    EXPECT_EQ(List()->verticalScrollBar()->value(), 0);

    QTest::keyClick(List(), Qt::Key_Right); // scrolls sideways, the row stays
    EXPECT_GT(List()->horizontalScrollBar()->value(), 0);
    EXPECT_EQ(window_.SelectedRow(), 0);
    QTest::keyClick(List(), Qt::Key_Down);
    EXPECT_EQ(window_.SelectedRow(), 1);
    QTest::keyClick(List(), Qt::Key_Left);
    EXPECT_EQ(List()->horizontalScrollBar()->value(), 0);
}

TEST_F(MainWindowTest, SelectionStaysVisibleWithoutFocus) {
    AddRows({{"1", "a"}, {"2", "b"}});
    ClickRow(0);
    KeywordBox()->setFocus();
    ASSERT_FALSE(List()->hasFocus());
    const QImage picture = List()->viewport()->grab().toImage();
    const auto pixel = [&](int row) {
        const QRect cell = List()->visualRect(List()->model()->index(row, 1));
        return picture.pixelColor(picture.width() - 5, cell.center().y()); // right of the text
    };
    EXPECT_NE(pixel(0), pixel(1));
}

struct LinkCase {
    std::string link;
    std::optional<QString> opened;
};

TEST_F(MainWindowTest, DoubleClickOpensOnlyWebAddresses) {
    const LinkCase cases[] = {
        {"http://pan.baidu.com/s/1abc", QStringLiteral("http://pan.baidu.com/s/1abc")},
        {"https://pan.baidu.com/s/1abc?x=1#y", QStringLiteral("https://pan.baidu.com/s/1abc?x=1#y")},
        {"HTTP://Pan.Baidu.COM/S/1", QStringLiteral("http://pan.baidu.com/S/1")},
        {"hTtPs://example.com:8080", QStringLiteral("https://example.com:8080")},
        {"http://example.com/a b", QStringLiteral("http://example.com/a%20b")},
        {"http://example.com/\xD6\xD0", QStringLiteral("http://example.com/%E4%B8%AD")},
        {"", std::nullopt},
        {"pan.baidu.com/s/1abc", std::nullopt},
        {"/s/1abc", std::nullopt},
        {"s/1abc", std::nullopt},
        {"//example.com/x", std::nullopt},
        {" http://example.com/", std::nullopt},
        {"http:example.com", std::nullopt},
        {"http:/example.com", std::nullopt},
        {"http:\\\\example.com", std::nullopt},
        {"http://", std::nullopt},
        {"https:///path", std::nullopt},
        {"httpx://example.com", std::nullopt},
        {"file:///etc/passwd", std::nullopt},
        {"FILE://C:/Windows/System32/calc.exe", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"ftp://example.com/x", std::nullopt},
        {"mailto:a@example.com", std::nullopt},
        {"smb://host/share", std::nullopt},
        {"\\\\host\\share\\x.exe", std::nullopt},
        {"C:\\Windows\\System32\\calc.exe", std::nullopt},
        {"calc.exe", std::nullopt},
    };
    for (const LinkCase& c : cases) {
        window_.RemoveAllRows();
        AddRows({{"1", "title", c.link}});
        opened_.clear();
        DoubleClick(RowPoint(0));
        if (c.opened) {
            ASSERT_EQ(opened_.size(), 1u) << c.link;
            EXPECT_EQ(opened_[0], QUrl(*c.opened)) << c.link;
        } else {
            EXPECT_TRUE(opened_.empty()) << c.link;
        }
    }
}

TEST_F(MainWindowTest, DoubleClickTakesTheLowestSelectedRow) {
    AddRows({{"1", "a", "http://a.example/"},
             {"2", "b", "http://b.example/"},
             {"3", "c", "http://c.example/"},
             {"4", "d"}});
    ClickRow(0);
    DoubleClick(RowPoint(2));
    ASSERT_EQ(opened_.size(), 1u); // the row that the double-click's first click selects
    EXPECT_EQ(opened_[0], QUrl(QStringLiteral("http://c.example/")));

    ClickRow(2);
    ClickRow(1, Qt::ControlModifier);
    window_.OnResultListDoubleClicked();
    ASSERT_EQ(opened_.size(), 2u);
    EXPECT_EQ(opened_[1], QUrl(QStringLiteral("http://b.example/")));

    DoubleClick(RowPoint(3));
    DoubleClick(BelowTheLastRow());
    EXPECT_EQ(opened_.size(), 2u); // an empty link cell, then no row at all
}

TEST(ProgramLifecycle, WindowClosedDuringNestedEventsEndsTheLoopWithZero) {
    const EventHook saved = InstallQtEventHook();
    MainWindow window;
    bool queuedRan = false;
    bool closedInside = false;
    window.SetSearchHandler([&] {
        QTimer::singleShot(0, [&] { queuedRan = true; });
        QMetaObject::invokeMethod(&window, &QWidget::close, Qt::QueuedConnection); // as if the user closed it
        ProcessEvents();
        closedInside = window.IsClosed();
    });
    window.show();
    QTimer::singleShot(0, &window, [&] {
        QTest::mouseClick(window.findChild<QPushButton*>(QStringLiteral("按钮1")), Qt::LeftButton);
    });
    QTimer guard; // a loop that failed to end would otherwise hang the test
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(1); });
    guard.start(10000);

    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_TRUE(queuedRan);
    EXPECT_TRUE(closedInside);
    EXPECT_FALSE(window.isVisible());
    SetEventHook(saved);
}

} // namespace
} // namespace vellmora
