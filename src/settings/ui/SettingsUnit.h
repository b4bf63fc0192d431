#pragma once

#include "settings/SkinList.h"
#include "shared/Settings.h"

#include <QDialog>
#include <QHash>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QAbstractButton;
class QAbstractSlider;
class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QTabWidget;
class QToolButton;
class OpacityPreview;
class Registry;

// The settings dialog: connection, interface, sounds, sending and the account data held by
// the service. Everything is stored by "ОК" alone; the slider and the translucency check box
// preview on the main window at once, and closing undoes a preview that was not stored.
class TSettingsForm : public QDialog {
    Q_OBJECT
public:
    struct Context {
        // The shared settings store.
        std::shared_ptr<Registry> registry;
        // The main window's opacity; without it nothing is previewed.
        OpacityPreview* effects = nullptr;
        // "Задать пароль для доступа к программе...": asks for and stores the access
        // password; without it the button does nothing.
        std::function<void(QWidget* parent)> changeAccessPassword;
        // "Yes" at the restart question after a skin change: start the program anew and
        // end this one. False when that failed, and the program goes on.
        std::function<bool()> restart;
    };

    explicit TSettingsForm(Context context, QWidget* parent = nullptr);
    ~TSettingsForm() override;

    // The registration dialog offers the connection page alone.
    void showConnectionPageOnly();

    // The content of the page "Сервер", made for each dialog; without it the page is empty.
    using PageFactory = std::function<QWidget*(QWidget* page)>;
    static void setServerPageFactory(PageFactory factory);

    // Set when the user picks a skin; kept for the run, whatever closes the dialog.
    static bool skinChanged();
    static void resetSkinChangedForTests();

    // The skin files listed, parallel to the skin box's entries.
    const QList<SkinChoice>& skinFiles() const { return m_skinFiles; }

    // The control that shows a stored value (a check box or option button, a line edit, the
    // slider); nothing for a value the dialog does not show.
    QWidget* control(const Setting::Entry& setting) const;
    template <class Control> Control* control(const Setting::Entry& setting) const {
        return qobject_cast<Control*>(control(setting));
    }
    // The test button beside a sound's file field.
    QToolButton* playButton(const Setting::Entry& sound) const;

    QTabWidget* pages() const { return m_pages; }
    QWidget* serverPage() const { return m_serverPage; }
    QComboBox* skinBox() const { return m_skinBox; }
    QGroupBox* proxyGroup() const { return m_proxyGroup; }
    QRadioButton* menuAsListButton() const { return m_menuAsListButton; }
    QPushButton* accessPasswordButton() const { return m_accessPasswordButton; }
    QPushButton* okButton() const { return m_okButton; }
    QPushButton* cancelButton() const { return m_cancelButton; }

    // Opens the file dialog for one of the sound fields.
    void browseSound(QLineEdit* field);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    // One stored value and the control that shows it. "ОК" refuses a number field that does
    // not hold a 32-bit number, unless the row names what to store then; an empty number
    // field without that takes the value's default.
    struct Binding {
        Binding(Setting::Bool setting, QAbstractButton* box);
        Binding(Setting::Str setting, QLineEdit* field,
                std::function<QString(const Settings&)> read = {});
        Binding(Setting::Int setting, QLineEdit* field,
                std::optional<qint32> whenNotANumber = std::nullopt);
        Binding(Setting::Int setting, QAbstractSlider* slider);
        // A sum in roubles shown for a value stored in kopecks.
        Binding(Setting::Int setting, QDoubleSpinBox* kopecksAsRoubles);
        const char* name;
        QWidget* control;
        std::function<void(const Settings&)> load;
        // Set for a number field that takes the default when empty.
        std::function<void()> fillEmpty;
        std::function<void(Settings&)> store;
    };
    std::vector<Binding> bindings() const;

    void FormCreate();
    void FormShow();
    void FormClose();
    QWidget* buildConnectionPage();
    QWidget* buildInterfacePage();
    QWidget* buildSoundsPage();
    QWidget* buildSendingPage();
    bool store();
    void confirm();
    void followUseProxy();
    void followSystemProxy();
    void previewTranslucency();
    void previewOpacity();
    void noteSkinChanged();
    void changeAccessPassword();

    Context m_context;
    QList<SkinChoice> m_skinFiles;
    std::vector<Binding> m_bindings;
    bool m_shown = false;
    bool m_closed = false;

    QLabel* m_banner = nullptr;
    QLabel* m_headerPicture = nullptr;
    QLabel* m_title = nullptr;
    QTabWidget* m_pages = nullptr;
    QWidget* m_connectionPage = nullptr;
    QWidget* m_interfacePage = nullptr;
    QWidget* m_soundsPage = nullptr;
    QWidget* m_sendingPage = nullptr;
    QWidget* m_serverPage = nullptr; // its content comes from the page factory
    QPushButton* m_okButton = nullptr;
    QPushButton* m_cancelButton = nullptr;

    // "Подключение"
    QLineEdit* m_hostEdit = nullptr;
    QLineEdit* m_portEdit = nullptr;
    QCheckBox* m_systemProxyBox = nullptr;
    QCheckBox* m_useProxyBox = nullptr;
    QGroupBox* m_proxyGroup = nullptr;
    QCheckBox* m_proxyAuthBox = nullptr;
    QLineEdit* m_proxyServerEdit = nullptr;
    QLineEdit* m_proxyPortEdit = nullptr;
    QLineEdit* m_proxyUserEdit = nullptr;
    QLineEdit* m_proxyPasswordEdit = nullptr;
    // Switched off while the system's proxy settings are used.
    QList<QWidget*> m_proxyControls;

    // "Интерфейс"
    QCheckBox* m_splashBox = nullptr;
    QCheckBox* m_balloonTipsBox = nullptr;
    QCheckBox* m_showBalanceBox = nullptr;
    QCheckBox* m_minimizeSendBox = nullptr;
    QCheckBox* m_translucentBox = nullptr;
    QSlider* m_opacitySlider = nullptr;
    QCheckBox* m_onlyInactiveBox = nullptr;
    QCheckBox* m_fadeOnCloseBox = nullptr;
    QRadioButton* m_menuByGroupButton = nullptr;
    QRadioButton* m_menuAsListButton = nullptr;
    QComboBox* m_skinBox = nullptr;
    QLineEdit* m_timeFormatEdit = nullptr;
    QLineEdit* m_historyCountEdit = nullptr;
    QPushButton* m_accessPasswordButton = nullptr;

    // "Звуки": the file fields, each with its browse and test buttons.
    QLineEdit* m_connectOkSoundEdit = nullptr;
    QLineEdit* m_connectErrSoundEdit = nullptr;
    QLineEdit* m_sentOkSoundEdit = nullptr;
    QLineEdit* m_sentErrSoundEdit = nullptr;
    QHash<QLineEdit*, QToolButton*> m_playButtons;

    // "Отправка"
    QDoubleSpinBox* m_confirmAboveSpin = nullptr;
};
