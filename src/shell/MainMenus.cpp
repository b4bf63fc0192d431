#include "MainUnit.h"

#include "MainFormLayout.h"
#include "contacts/ui/ContactTreeView.h"
#include "messaging/ui/ScheduledWindow.h"
#include "platform/Registry.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QAction>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QPixmap>

// The main window's menus: the contact tree's and the one of the header, the tool panel and
// the notification area.

namespace {

const QString kSendSms = QStringLiteral("Отправить СМС");
const QString kHelp = QStringLiteral("Вызов справки");
const QString kAbout = QStringLiteral("О программе");

// The icon list's entries the menus use.
enum Icon {
    IconSend = 2,
    IconClose = 3,
    IconAbout = 4,
    IconSettings = 5,
    IconEdit = 6,
    IconDelete = 7,
    IconAdd = 8,
    IconHelp = 9,
    IconSaveOnServer = 17,
    IconLoadFromServer = 18,
};

QIcon smallIcon(int index) {
    const QImage image = SkinUnit::active().sprites().smallIcon(index);
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

using namespace MainFormLayout;

void TMainForm::buildMenus() {
    const auto about = [this] {
        if (m_options.dialogs.about)
            m_options.dialogs.about();
    };
    m_treeMenu = new QMenu(this);
    m_treeMenu->setObjectName(QStringLiteral("treeMenu"));
    m_treeSendAction = m_treeMenu->addAction(smallIcon(IconSend), kSendSms);
    m_treeMenu->setDefaultAction(m_treeSendAction);
    connect(m_treeSendAction, &QAction::triggered, m_contactTree,
            &ContactTreeView::ContactTreeDblClick);
    m_treeMenu->addSeparator();
    m_treeAddAction =
        m_treeMenu->addAction(smallIcon(IconAdd), QStringLiteral("Добавить абонента"));
    connect(m_treeAddAction, &QAction::triggered, this, &TMainForm::AddContactClick);
    m_treeEditAction = m_treeMenu->addAction(smallIcon(IconEdit), QStringLiteral("Редактировать"));
    connect(m_treeEditAction, &QAction::triggered, this, &TMainForm::EditContactClick);
    m_treeDeleteAction = m_treeMenu->addAction(smallIcon(IconDelete), QStringLiteral("Удалить"));
    connect(m_treeDeleteAction, &QAction::triggered, m_contactTree,
            &ContactTreeView::ButDelContactClick);
    // Insert and Delete in the tree itself; the menu shows the keys beside the commands.
    for (const auto& [action, key] : {std::pair{m_treeAddAction, Qt::Key_Insert},
                                      std::pair{m_treeDeleteAction, Qt::Key_Delete}}) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        m_contactTree->addAction(action);
    }
    m_treeMenu->addSeparator();
    m_uploadBookAction =
        m_treeMenu->addAction(smallIcon(IconSaveOnServer), QStringLiteral("Сохранить на сервере"));
    connect(m_uploadBookAction, &QAction::triggered, this, &TMainForm::uploadBook);
    m_downloadBookAction =
        m_treeMenu->addAction(smallIcon(IconLoadFromServer), QStringLiteral("Загрузить с сервера"));
    connect(m_downloadBookAction, &QAction::triggered, this, &TMainForm::downloadBook);
    m_treeMenu->addSeparator();
    m_importContactsAction = m_treeMenu->addAction(QStringLiteral("Импорт контактов..."));
    connect(m_importContactsAction, &QAction::triggered, this, &TMainForm::ImportContactsClick);
    m_exportContactsAction = m_treeMenu->addAction(QStringLiteral("Экспорт контактов..."));
    connect(m_exportContactsAction, &QAction::triggered, this, &TMainForm::ExportContactsClick);
    m_treeMenu->addSeparator();
    m_treeSortAction =
        m_treeMenu->addAction(ContactTreeView::sortPicture(), ContactTreeView::kSortCaption);
    connect(m_treeSortAction, &QAction::triggered, m_contactTree, &ContactTreeView::sortSelected);
    connect(m_treeMenu, &QMenu::aboutToShow, this,
            [this] { m_contactTree->fitMenuToSelection(m_treeSendAction, m_treeSortAction); });
    m_serverBookSeparator = m_treeMenu->addSeparator();
    connect(m_treeMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(m_treeMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    m_treeMenu->addSeparator();
    connect(m_treeMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);
    SetServerContactsVisible(false);

    m_trayMenu = new QMenu(this);
    m_trayMenu->setObjectName(QStringLiteral("trayMenu"));
    m_traySendMenu = m_trayMenu->addMenu(smallIcon(IconSend), kSendSms);
    // Beside "Отправить СМС": the sends still to come.
    m_scheduledAction = m_trayMenu->addAction(ScheduledWindow::kMenuItem);
    m_scheduledAction->setObjectName(QStringLiteral("scheduledAction"));
    connect(m_scheduledAction, &QAction::triggered, this, [this] {
        if (m_options.dialogs.scheduledSends)
            m_options.dialogs.scheduledSends();
    });
    m_trayMenu->addSeparator();
    m_stayOnTopAction = m_trayMenu->addAction(QStringLiteral("Поверх всех окон"));
    m_stayOnTopAction->setCheckable(true);
    // The menu has flipped the mark already when this runs.
    connect(m_stayOnTopAction, &QAction::triggered, this, [this] {
        applyStacking();
        Settings(*m_registry).set(Setting::StayOnTop, m_stayOnTopAction->isChecked());
    });
    connect(m_trayMenu->addAction(smallIcon(IconSettings), kSettings), &QAction::triggered, this,
            [this] {
                if (m_options.dialogs.settings)
                    m_options.dialogs.settings();
            });
    m_trayMenu->addSeparator();
    connect(m_trayMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(m_trayMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    m_trayMenu->addSeparator();
    connect(m_trayMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);

    const auto trayMenuAt = [this](QWidget* widget) {
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& pos) { m_trayMenu->popup(widget->mapToGlobal(pos)); });
    };
    trayMenuAt(m_headerImage);
    trayMenuAt(m_toolPanel);
    trayMenuAt(m_toolPanelImage);
    connect(m_contactTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        m_contactTree->ContactTreeContextPopup(pos);
        m_treeMenu->popup(m_contactTree->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::SetServerContactsVisible(bool visible) {
    m_uploadBookAction->setVisible(visible);
    m_downloadBookAction->setVisible(visible);
    m_serverBookSeparator->setVisible(visible);
}

void TMainForm::toggleStayOnTop() {
    m_stayOnTopAction->trigger();
}

void TMainForm::applyStacking() {
    const bool onTop = m_stayOnTopAction->isChecked();
    if (windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop)
        return;
    const bool wasVisible = isVisible();
    setWindowFlag(Qt::WindowStaysOnTopHint, onTop);
    if (wasVisible) {
        setAttribute(Qt::WA_ShowWithoutActivating);
        show();
        setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}
