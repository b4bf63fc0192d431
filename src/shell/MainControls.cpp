#include "MainUnit.h"

#include "ContactTreeDelegate.h"
#include "MainFormLayout.h"
#include "StatusLabel.h"
#include "contacts/ui/ContactTreeView.h"
#include "skins/ui/ImageButton3.h"
#include "skins/ui/SkinUnit.h"

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

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setFixedHeight(kHeaderHeight);
    Image1->setScaledContents(true);
    Image1->setContextMenuPolicy(Qt::CustomContextMenu);
    Image1->installEventFilter(this);
    layout->addWidget(Image1);

    Panel3 = new QWidget(this);
    Panel3->setObjectName(QStringLiteral("Panel3"));
    Panel3->setFixedHeight(kPanelHeight);
    Panel3->setContextMenuPolicy(Qt::CustomContextMenu);
    Image3 = new QLabel(Panel3);
    Image3->setObjectName(QStringLiteral("Image3"));
    Image3->setScaledContents(true);
    Image3->setGeometry(0, 0, kClientWidth, kPanelHeight);
    Image3->setContextMenuPolicy(Qt::CustomContextMenu);
    layout->addWidget(Panel3);

    const QList<std::pair<TImageButton**, QString>> buttons = {
        {&AddContactButton, QStringLiteral("Добавить контакт")},
        {&SpeedButton3, QStringLiteral("Редактировать контакт")},
        {&ButDelContact, QStringLiteral("Удалить контакт")},
        {&ButOptions, kSettings},
        {&SpeedButton1, QStringLiteral("История")},
        {&SpeedButton2, QStringLiteral("Оплата")},
        {&ButTray, QStringLiteral("Свернуть")},
        {&ButClose, kClose},
    };
    const int left =
        (kClientWidth - (int(buttons.size()) - 1) * kToolButtonStep - SkinSprites::ButtonSize) / 2;
    for (int i = 0; i < buttons.size(); ++i) {
        auto* button = new TImageButton(Panel3);
        // The sheet's own mask colour, whatever colour a skin puts in a picture's corner.
        button->setTransparentColor(QColor::fromRgb(SkinSprites::MaskColor));
        button->setToolTip(buttons[i].second);
        button->setGeometry(left + i * kToolButtonStep, kToolButtonTop, SkinSprites::ButtonSize,
                            SkinSprites::ButtonSize);
        *buttons[i].first = button;
    }
    AddContactButton->setObjectName(QStringLiteral("AddContactButton"));
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    ButDelContact->setObjectName(QStringLiteral("ButDelContact"));
    ButOptions->setObjectName(QStringLiteral("ButOptions"));
    SpeedButton1->setObjectName(QStringLiteral("SpeedButton1"));
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    ButTray->setObjectName(QStringLiteral("ButTray"));
    ButClose->setObjectName(QStringLiteral("ButClose"));

    buildContactTree(layout);

    StatusBar = new QStatusBar(this);
    StatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_statusLabel = new StatusLabel(StatusBar);
    StatusBar->addWidget(m_statusLabel, 1);
    StatusBar->installEventFilter(this);
    m_statusLabel->installEventFilter(this);
    layout->addWidget(StatusBar);
    // The grip sizes the window itself, so that sizing snaps to the work area like moving.
    m_sizeGrip = StatusBar->findChild<QSizeGrip*>();
    if (m_sizeGrip)
        m_sizeGrip->installEventFilter(this);

    buildTimers();

    connect(AddContactButton, &TImageButton::clicked, this, &TMainForm::AddContactClick);
    connect(SpeedButton3, &TImageButton::clicked, this, &TMainForm::EditContactClick);
    connect(ButDelContact, &TImageButton::clicked, ContactTree,
            &ContactTreeView::ButDelContactClick);
    connect(ButOptions, &TImageButton::clicked, this, [this] {
        if (m_options.dialogs.settings)
            m_options.dialogs.settings();
    });
    connect(SpeedButton1, &TImageButton::clicked, this, &TMainForm::SpeedButton1Click);
    connect(SpeedButton2, &TImageButton::clicked, this, &TMainForm::SpeedButton2Click);
    connect(ButTray, &TImageButton::clicked, this, &TMainForm::hideToTray);
    connect(ButClose, &TImageButton::clicked, this, &QWidget::close);

    connect(new QShortcut(Qt::Key_F1, this), &QShortcut::activated, this, &TMainForm::HelpClick);
    connect(new QShortcut(Qt::Key_Escape, this), &QShortcut::activated, this,
            &TMainForm::hideToTray);
}

void TMainForm::loadSkinPictures() {
    const SkinUnit& skin = SkinUnit::active();
    Image1->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("2.bmp"))));
    Image3->setPixmap(QPixmap::fromImage(skin.picture(QStringLiteral("3.bmp"))));

    TImageButton* const order[] = {AddContactButton, SpeedButton3, ButDelContact, ButOptions,
                                   SpeedButton1,     SpeedButton2, ButTray,       ButClose};
    for (int i = 0; i < SkinSprites::ToolbarButtonCount; ++i) {
        TImageButton* button = order[i];
        const SkinSprites& sprites = skin.sprites();
        button->setNoneBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::None));
        button->setOverBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Over));
        button->setDownBitmap(sprites.toolbarButton(i, SkinSprites::ButtonState::Down));
        button->resize(SkinSprites::ButtonSize, SkinSprites::ButtonSize);
        button->update();
    }
    ContactTree->setItemDelegate(
        new ContactTreeDelegate(skin.sprites().smallIcon(0), skin.sprites().smallIcon(1), this));

    skin.dress(this, {});
    for (QWidget* widget :
         {static_cast<QWidget*>(ContactTree), Panel3, static_cast<QWidget*>(StatusBar)})
        SkinUnit::setBackground(widget, skin.Main());
}
