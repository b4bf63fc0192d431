#include "MainUnit.h"

#include "ContactTreeDelegate.h"
#include "MainFormLayout.h"
#include "StatusLabel.h"
#include "contacts/ui/ContactTreeView.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"
#include "widgets/KeyboardContextMenu.h"
#include "widgets/WindowAccessible.h"

#include <QLabel>
#include <QShortcut>
#include <QSizeGrip>
#include <QStatusBar>
#include <QTimer>
#include <QVBoxLayout>

// The main window's controls: header, tool panel and status bar, and their skin pictures.

namespace {

constexpr int kHeaderHeight = 25;
constexpr int kPanelHeight = 33;
constexpr int kToolButtonStep = 25;
constexpr int kToolButtonTop = 5;

} // namespace

using namespace MainFormLayout;

void TMainForm::buildControls() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_headerImage = new QLabel(this);
    m_headerImage->setObjectName(QStringLiteral("headerImage"));
    m_headerImage->setFixedHeight(kHeaderHeight);
    m_headerImage->setScaledContents(true);
    m_headerImage->setContextMenuPolicy(Qt::CustomContextMenu);
    m_headerImage->installEventFilter(this);
    layout->addWidget(m_headerImage);

    m_toolPanel = new QWidget(this);
    m_toolPanel->setObjectName(QStringLiteral("toolPanel"));
    m_toolPanel->setFixedHeight(kPanelHeight);
    m_toolPanel->setContextMenuPolicy(Qt::CustomContextMenu);
    m_toolPanelImage = new QLabel(m_toolPanel);
    m_toolPanelImage->setObjectName(QStringLiteral("toolPanelImage"));
    m_toolPanelImage->setScaledContents(true);
    m_toolPanelImage->setGeometry(0, 0, kClientWidth, kPanelHeight);
    m_toolPanelImage->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(m_toolPanel);

    const QList<std::pair<TImageButton**, QString>> buttons = {
        {&m_addContactButton, QStringLiteral("Добавить контакт")},
        {&m_editContactButton, QStringLiteral("Редактировать контакт")},
        {&m_deleteContactButton, QStringLiteral("Удалить контакт")},
        {&m_settingsButton, kSettings},
        {&m_historyButton, QStringLiteral("История")},
        {&m_paymentButton, QStringLiteral("Оплата")},
        {&m_hideToTrayButton, QStringLiteral("Свернуть")},
        {&m_closeButton, kClose},
    };
    const int left =
        (kClientWidth - (int(buttons.size()) - 1) * kToolButtonStep - SkinSprites::ButtonSize) / 2;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new TImageButton(m_toolPanel);
        // The sheet's own mask colour, whatever colour a skin puts in a picture's corner.
        button->setTransparentColor(QColor::fromRgb(SkinSprites::MaskColor));
        button->setToolTip(buttons[i].second);
        button->setGeometry(left + i * kToolButtonStep, kToolButtonTop, SkinSprites::ButtonSize,
                            SkinSprites::ButtonSize);
        *buttons[i].first = button;
    }
    m_addContactButton->setObjectName(QStringLiteral("addContactButton"));
    m_editContactButton->setObjectName(QStringLiteral("editContactButton"));
    m_deleteContactButton->setObjectName(QStringLiteral("deleteContactButton"));
    m_settingsButton->setObjectName(QStringLiteral("settingsButton"));
    m_historyButton->setObjectName(QStringLiteral("historyButton"));
    m_paymentButton->setObjectName(QStringLiteral("paymentButton"));
    m_hideToTrayButton->setObjectName(QStringLiteral("hideToTrayButton"));
    m_closeButton->setObjectName(QStringLiteral("closeButton"));

    buildContactTree(layout);

    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(QStringLiteral("statusBar"));
    m_statusLabel = new StatusLabel(m_statusBar);
    m_statusBar->addWidget(m_statusLabel, 1);
    m_statusBar->installEventFilter(this);
    m_statusLabel->installEventFilter(this);
    layout->addWidget(m_statusBar);
    // The grip sizes the window itself, so that sizing snaps to the work area like moving.
    m_sizeGrip = m_statusBar->findChild<QSizeGrip*>();
    if (m_sizeGrip)
        m_sizeGrip->installEventFilter(this);

    buildTimers();

    connect(m_addContactButton, &TImageButton::clicked, this, &TMainForm::AddContactClick);
    connect(m_editContactButton, &TImageButton::clicked, this, &TMainForm::EditContactClick);
    connect(m_deleteContactButton, &TImageButton::clicked, m_contactTree,
            &ContactTreeView::ButDelContactClick);
    connect(m_settingsButton, &TImageButton::clicked, this, [this] {
        if (m_options.dialogs.settings)
            m_options.dialogs.settings();
    });
    connect(m_historyButton, &TImageButton::clicked, this, &TMainForm::showHistory);
    connect(m_paymentButton, &TImageButton::clicked, this, &TMainForm::showPayment);
    connect(m_hideToTrayButton, &TImageButton::clicked, this, &TMainForm::hideToTray);
    connect(m_closeButton, &TImageButton::clicked, this, &QWidget::close);

    // Shift+F10 on a tool button opens the header's menu, as a right click on the panel does.
    KeyboardContextMenu::enable(this);
    WindowAccessible::install();

    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &TMainForm::HelpClick);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &TMainForm::hideToTray);
}

void TMainForm::loadSkinPictures() {
    const SkinUnit& skin = SkinUnit::active();
    m_headerImage->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("2.bmp"))));
    m_toolPanelImage->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("3.bmp"))));

    TImageButton* const order[] = {m_addContactButton, m_editContactButton, m_deleteContactButton,
                                   m_settingsButton,   m_historyButton,     m_paymentButton,
                                   m_hideToTrayButton, m_closeButton};
    for (int i = 0; i < SkinSprites::ToolbarButtonCount; ++i) {
        TImageButton* button = order[i];
        const SkinSprites& sprites = skin.sprites();
        button->setNoneBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::None));
        button->setOverBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Over));
        button->setDownBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Down));
        button->resize(SkinSprites::ButtonSize, SkinSprites::ButtonSize);
        button->update();
    }
    m_contactTree->setItemDelegate(
        new ContactTreeDelegate(skin.sprites().smallIcon(0), skin.sprites().smallIcon(1), this));

    skin.dress(this, {});
    for (QWidget* widget :
         {static_cast<QWidget*>(m_contactTree), m_toolPanel, static_cast<QWidget*>(m_statusBar)})
        SkinUnit::setBackground(widget, skin.Main());
}
