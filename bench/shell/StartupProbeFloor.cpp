#include "ShownClock.h"

#include <QApplication>
#include <QLabel>
#include <QPainter>
#include <QStatusBar>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

// The content floor: what the main window shows at start, built in memory and nothing else —
// no settings store, no skin files, no network, no other window. The program's start is
// judged against this, not against an empty window.

namespace {

constexpr int kWidth = 204;
constexpr int kHeight = 387;
constexpr int kHeaderHeight = 25;
constexpr int kPanelHeight = 33;
constexpr int kButtonSize = 24;
constexpr int kButtonStep = 25;
constexpr int kButtonCount = 8;
constexpr int kGroups = 50;
constexpr int kContactsPerGroup = 40;
const QColor kHeaderGreen(0x2e, 0x8b, 0x3e);
const QColor kLightGreen(0xe8, 0xf5, 0xe4);

// The header bar: an envelope and the program's name, drawn once like the skin's picture.
QPixmap headerPicture() {
    QPixmap picture(kWidth, kHeaderHeight);
    picture.fill(kHeaderGreen);
    QPainter painter(&picture);
    painter.setPen(Qt::white);
    const QRect envelope(5, 7, 16, 11);
    painter.drawRect(envelope);
    painter.drawLine(envelope.topLeft(), envelope.center());
    painter.drawLine(envelope.center(), envelope.topRight());
    QFont font = painter.font();
    font.setBold(true);
    painter.setFont(font);
    painter.drawText(QRect(28, 0, kWidth - 28, kHeaderHeight), Qt::AlignVCenter,
                     QStringLiteral("Varnelo"));
    return picture;
}

// A 16-pixel person, or two side by side for a group.
QIcon personIcon(bool pair) {
    QPixmap picture(16, 16);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    const QList<int> lefts = pair ? QList<int>{0, 6} : QList<int>{3};
    for (const int left : lefts) {
        painter.setBrush(pair ? QColor(0x3b, 0x6e, 0xb5) : QColor(0x2e, 0x8b, 0x3e));
        painter.setPen(Qt::NoPen);
        painter.drawEllipse(left + 2, 1, 6, 6);
        painter.drawRoundedRect(left, 8, 10, 7, 3, 3);
    }
    return QIcon(picture);
}

QWidget* toolPanel(QWidget* parent) {
    auto* panel = new QWidget(parent);
    panel->setFixedHeight(kPanelHeight);
    const QStyle::StandardPixmap pictures[kButtonCount] = {
        QStyle::SP_FileIcon,           QStyle::SP_FileDialogDetailedView,
        QStyle::SP_TrashIcon,          QStyle::SP_ComputerIcon,
        QStyle::SP_FileDialogInfoView, QStyle::SP_DialogSaveButton,
        QStyle::SP_TitleBarMinButton,  QStyle::SP_TitleBarCloseButton};
    const int left = (kWidth - (kButtonCount - 1) * kButtonStep - kButtonSize) / 2;
    for (int i = 0; i < kButtonCount; ++i) {
        auto* button = new QToolButton(panel);
        button->setAutoRaise(true);
        button->setIcon(panel->style()->standardIcon(pictures[i]));
        button->setIconSize(QSize(16, 16));
        button->setGeometry(left + i * kButtonStep, 5, kButtonSize, kButtonSize);
    }
    return panel;
}

QTreeWidget* contactTree(QWidget* parent) {
    auto* tree = new QTreeWidget(parent);
    tree->setHeaderHidden(true);
    tree->setRootIsDecorated(false);
    tree->setIndentation(19);
    tree->setUniformRowHeights(true);
    tree->setFrameShape(QFrame::NoFrame);
    const QIcon groupIcon = personIcon(true);
    const QIcon contactIcon = personIcon(false);
    QFont bold = tree->font();
    bold.setBold(true);
    QList<QTreeWidgetItem*> groups;
    for (int g = 0; g < kGroups; ++g) {
        auto* group = new QTreeWidgetItem({QStringLiteral("Группа %1").arg(g)});
        group->setIcon(0, groupIcon);
        group->setFont(0, bold);
        for (int c = 0; c < kContactsPerGroup; ++c) {
            auto* contact =
                new QTreeWidgetItem(group, {QStringLiteral("Контакт %1-%2").arg(g).arg(c)});
            contact->setIcon(0, contactIcon);
        }
        groups.append(group);
    }
    tree->addTopLevelItems(groups);
    for (int g = 0; g < kGroups; g += 2)
        groups[g]->setExpanded(true);
    return tree;
}

void paintBackground(QWidget* widget, const QColor& colour, QPalette::ColorRole role) {
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
    widget->setAutoFillBackground(true);
}

} // namespace

int main(int argc, char* argv[]) {
    const ShownClock::Mode mode = ShownClock::takeMode(argc, argv);
    QApplication app(argc, argv);
    ShownClock clock("QWidget", mode);
    app.installEventFilter(&clock);

    QWidget window(nullptr, Qt::FramelessWindowHint);
    window.setWindowTitle(QStringLiteral("Varnelo"));
    window.resize(kWidth, kHeight);
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    auto* header = new QLabel(&window);
    header->setFixedHeight(kHeaderHeight);
    header->setPixmap(headerPicture());
    layout->addWidget(header);

    QWidget* panel = toolPanel(&window);
    paintBackground(panel, kLightGreen, QPalette::Window);
    layout->addWidget(panel);

    QTreeWidget* tree = contactTree(&window);
    paintBackground(tree, kLightGreen, QPalette::Base);
    layout->addWidget(tree, 1);

    auto* status = new QStatusBar(&window);
    status->addWidget(new QLabel(QStringLiteral("Баланс: 100.00"), status), 1);
    layout->addWidget(status);

    window.show();
    return app.exec();
}
