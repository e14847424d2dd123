#include "app/MainWindow.h"

#include "app/QtText.h"
#include "app/ResultList.h"
#include "app/WebAddress.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <limits>

// Resources of a static library are registered by hand; Q_INIT_RESOURCE must be used outside any
// namespace.
static void RegisterIconResources() {
    Q_INIT_RESOURCE(icons);
}

namespace vellmora {
namespace {

constexpr int kClientWidth = 320;
constexpr int kClientHeight = 320;
constexpr int kLinkColumn = 2;

QIcon ProgramIcon() {
    RegisterIconResources();
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 96, 128}) {
        icon.addFile(QStringLiteral(":/icons/vellmora-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      label_(new QLabel(QStringLiteral("搜索的东西："), this)), keywordBox_(new QLineEdit(this)),
      searchButton_(new QPushButton(QStringLiteral("搜索"), this)), resultList_(new ResultList(this)),
      linkOpener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setWindowTitle(QStringLiteral("Vellmora v1.0"));
    setWindowIcon(ProgramIcon());
    setFixedSize(kClientWidth, kClientHeight);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        setGeometry(area.x() + (area.width() - kClientWidth) / 2,
                    area.y() + (area.height() - kClientHeight) / 2, kClientWidth, kClientHeight);
    }

    label_->setObjectName(QStringLiteral("标签1"));
    label_->setGeometry(8, 16, 80, 24);
    label_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    keywordBox_->setObjectName(QStringLiteral("编辑框1"));
    keywordBox_->setGeometry(96, 16, 160, 24);
    keywordBox_->setMaxLength(std::numeric_limits<int>::max()); // the box sets no limit of its own

    searchButton_->setObjectName(QStringLiteral("按钮1"));
    searchButton_->setGeometry(264, 16, 48, 24);
    searchButton_->setAutoDefault(false); // Enter never presses it
    connect(searchButton_, &QPushButton::clicked, this, [this] {
        const std::function<void()> handler = searchHandler_; // may be replaced while it runs
        if (handler) {
            handler();
        }
    });

    resultList_->setObjectName(QStringLiteral("超级列表框1"));
    resultList_->setGeometry(0, 48, 320, 272);
    resultList_->SetDoubleClickHandler([this] { OnResultListDoubleClicked(); });

    setTabOrder(keywordBox_, searchButton_);
    setTabOrder(searchButton_, resultList_);
    keywordBox_->setFocus();

    // A window shortcut is seen before the focused control gets the key, so Esc closes the window
    // whichever control has the focus.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
}

Text MainWindow::KeywordText() const {
    return closed_ ? Text() : QStringToText(keywordBox_->text());
}

void MainWindow::RemoveAllRows() {
    if (!closed_) {
        resultList_->RemoveAllRows();
    }
}

int MainWindow::AppendRow() {
    return closed_ ? -1 : resultList_->AppendRow();
}

void MainWindow::SetCellText(int row, int column, const Text& text) {
    if (!closed_) {
        resultList_->SetCellText(row, column, text);
    }
}

Text MainWindow::GetCellText(int row, int column) const {
    return resultList_->GetCellText(row, column);
}

int MainWindow::SelectedRow() const {
    return resultList_->SelectedRow();
}

void MainWindow::SetSearchHandler(std::function<void()> handler) {
    searchHandler_ = std::move(handler);
}

void MainWindow::SetLinkOpener(LinkOpener opener) {
    linkOpener_ = std::move(opener);
}

void MainWindow::OnResultListDoubleClicked() {
    // Only web addresses leave the program: a link is text from a web page, and the desktop would
    // just as willingly start a local program, open a local file or reach a network share with it.
    if (const std::optional<QUrl> address = WebAddress(GetCellText(SelectedRow(), kLinkColumn))) {
        if (linkOpener_) {
            linkOpener_(*address);
        }
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    closed_ = true;
    QWidget::closeEvent(event);
}

} // namespace vellmora
