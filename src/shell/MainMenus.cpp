#include "MainUnit.h"

#include "MainFormLayout.h"
#include "contacts/ui/ContactTreeView.h"
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
    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    PopupSendAction = PopupMenu->addAction(smallIcon(IconSend), kSendSms);
    PopupMenu->setDefaultAction(PopupSendAction);
    connect(PopupSendAction, &QAction::triggered, ContactTree,
            &ContactTreeView::ContactTreeDblClick);
    PopupMenu->addSeparator();
    PopupAddAction = PopupMenu->addAction(smallIcon(IconAdd), QStringLiteral("Добавить абонента"));
    connect(PopupAddAction, &QAction::triggered, this, &TMainForm::AddContactClick);
    PopupEditAction = PopupMenu->addAction(smallIcon(IconEdit), QStringLiteral("Редактировать"));
    connect(PopupEditAction, &QAction::triggered, this, &TMainForm::EditContactClick);
    PopupDeleteAction = PopupMenu->addAction(smallIcon(IconDelete), QStringLiteral("Удалить"));
    connect(PopupDeleteAction, &QAction::triggered, ContactTree,
            &ContactTreeView::ButDelContactClick);
    PopupMenu->addSeparator();
    N21 = PopupMenu->addAction(smallIcon(IconSaveOnServer), QStringLiteral("Сохранить на сервере"));
    connect(N21, &QAction::triggered, this, &TMainForm::N21Click);
    N22 =
        PopupMenu->addAction(smallIcon(IconLoadFromServer), QStringLiteral("Загрузить с сервера"));
    connect(N22, &QAction::triggered, this, &TMainForm::N22Click);
    PopupMenu->addSeparator();
    ImportContactsAction = PopupMenu->addAction(QStringLiteral("Импорт контактов..."));
    connect(ImportContactsAction, &QAction::triggered, this, &TMainForm::ImportContactsClick);
    ExportContactsAction = PopupMenu->addAction(QStringLiteral("Экспорт контактов..."));
    connect(ExportContactsAction, &QAction::triggered, this, &TMainForm::ExportContactsClick);
    PopupMenu->addSeparator();
    PopupSortAction =
        PopupMenu->addAction(ContactTreeView::sortPicture(), ContactTreeView::kSortCaption);
    connect(PopupSortAction, &QAction::triggered, ContactTree, &ContactTreeView::sortSelected);
    connect(PopupMenu, &QMenu::aboutToShow, this,
            [this] { ContactTree->fitMenuToSelection(PopupSendAction, PopupSortAction); });
    N16 = PopupMenu->addSeparator();
    connect(PopupMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(PopupMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    PopupMenu->addSeparator();
    connect(PopupMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);
    SetServerContactsVisible(false);

    TrayMenu = new QMenu(this);
    TrayMenu->setObjectName(QStringLiteral("TrayMenu"));
    TrayMenuSend = TrayMenu->addMenu(smallIcon(IconSend), kSendSms);
    TrayMenu->addSeparator();
    N15 = TrayMenu->addAction(QStringLiteral("Поверх всех окон"));
    N15->setCheckable(true);
    // The menu has flipped the mark already when this runs.
    connect(N15, &QAction::triggered, this, [this] {
        applyStacking();
        Settings(*m_registry).set(Setting::StayOnTop, N15->isChecked());
    });
    connect(TrayMenu->addAction(smallIcon(IconSettings), kSettings), &QAction::triggered, this,
            [this] {
                if (m_options.dialogs.settings)
                    m_options.dialogs.settings();
            });
    TrayMenu->addSeparator();
    connect(TrayMenu->addAction(smallIcon(IconHelp), kHelp), &QAction::triggered, this,
            &TMainForm::HelpClick);
    connect(TrayMenu->addAction(smallIcon(IconAbout), kAbout), &QAction::triggered, this, about);
    TrayMenu->addSeparator();
    connect(TrayMenu->addAction(smallIcon(IconClose), kClose), &QAction::triggered, this,
            &QWidget::close);

    const auto trayMenuAt = [this](QWidget* widget) {
        connect(widget, &QWidget::customContextMenuRequested, this,
                [this, widget](const QPoint& pos) { TrayMenu->popup(widget->mapToGlobal(pos)); });
    };
    trayMenuAt(Image1);
    trayMenuAt(Panel3);
    trayMenuAt(Image3);
    connect(ContactTree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
        ContactTree->ContactTreeContextPopup(pos);
        PopupMenu->popup(ContactTree->viewport()->mapToGlobal(pos));
    });
}

void TMainForm::SetServerContactsVisible(bool visible) {
    N21->setVisible(visible);
    N22->setVisible(visible);
    N16->setVisible(visible);
}

void TMainForm::N15Click() {
    N15->trigger();
}

void TMainForm::applyStacking() {
    const bool onTop = N15->isChecked();
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
