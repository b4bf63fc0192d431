#include "MainUnit.h"

#include "TrayHide.h"
#include "TrayIcon.h"
#include "contacts/ContactBook.h"
#include "messaging/ui/SendUnit.h"
#include "platform/Registry.h"
#include "shared/Settings.h"
#include "skins/ui/SkinUnit.h"

#include <QIcon>
#include <QPixmap>

#include <utility>

// The main window and the notification area: the icon, its balloons, hiding to it and
// coming back.

namespace {

// The notification area's balloon kinds.
constexpr int kBalloonInformation = 1;
constexpr int kBalloonError = 4;

// The two windows as hiding to the tray handles them.
class MainAndSendWindows final : public TrayHideTarget {
public:
    MainAndSendWindows(TMainForm& main, TSendForm* send)
        : m_main(main)
        , m_send(send) {}
    void SaveWindowPosition() override { m_main.SaveWindowPosition(); }
    void hideMainWindow() override { m_main.hide(); }
    void hideSendWindow() override {
        if (m_send)
            m_send->hide();
    }
    bool sendWindowIsHidden() const override { return !m_send || m_send->IsHidden; }
    void setSendWindowIsHidden(bool hidden) override {
        if (m_send)
            m_send->IsHidden = hidden;
    }

private:
    TMainForm& m_main;
    TSendForm* m_send;
};

} // namespace

void TMainForm::createTrayIcon(const Settings& settings) {
    m_trayIcon = new TrayIcon(settings, *m_book, this);
    QList<QIcon> images;
    for (const QImage& image : SkinUnit::active().sprites().smallIcons())
        images << QIcon(QPixmap::fromImage(image));
    m_trayIcon->setMenu(m_trayMenu, m_traySendMenu, images);
    connect(m_trayIcon, &TrayIcon::trayClick, this, &TMainForm::trayClick);
    connect(m_trayIcon, &TrayIcon::contactChosen, this, [this](const TrayContact& contact) {
        if (m_options.dialogs.createNewPage && !contact.Number.isEmpty())
            m_options.dialogs.createNewPage(contact.Sender, contact.Name, contact.Number,
                                            contact.Sign, QString(), contact.Translit, nullptr);
    });
}

void TMainForm::addPendingTrayIcon() {
    if (!std::exchange(m_trayAddPending, false))
        return;
    if (m_trayIcon && !m_trayIcon->TrayIconAdded())
        m_trayIcon->add();
}

void TMainForm::trayClick() {
    // A hand-over from a second start may come before the first frame.
    addPendingTrayIcon();
    if (!trayIconAdded())
        return;
    // A Wayland window cannot take itself out of the minimised state; shown anew it comes
    // back whatever the compositor did with it.
    if (!placesItself() && isMinimized())
        hide();
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    // Under Wayland Qt hands the compositor the activation token the launcher left in
    // XDG_ACTIVATION_TOKEN, where there is one.
    activateWindow();
}

void TMainForm::hideToTray() {
    // Without a tray the window could not be found again once hidden.
    if (!m_trayIcon || !m_trayIcon->isShownInTray()) {
        SaveWindowPosition();
        showMinimized();
        return;
    }
    MainAndSendWindows windows(*this, m_sendForm);
    ::hideToTray(windows, Settings(*m_registry).get(Setting::MinimizeSendWindow));
}

void TMainForm::ShowBalloon(const LoginOutcome::Balloon& balloon) {
    if (m_trayIcon)
        m_trayIcon->ShowBalloon(
            balloon.title, balloon.text,
            balloon.kind == LoginOutcome::BalloonKind::Error ? kBalloonError : kBalloonInformation,
            balloon.timeoutMs);
}

bool TMainForm::trayIconAdded() const {
    return m_trayIcon && m_trayIcon->TrayIconAdded();
}
