#pragma once

#include "settings/SkinList.h"

#include <QDialog>

#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
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

// The settings dialog: connection, interface, sounds and the account data held by the
// service. Everything is stored by "ОК" alone; the slider and the translucency check box
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

    // The skin files listed, parallel to ComboBox1's entries.
    const QList<SkinChoice>& skinFiles() const { return m_skinFiles; }

    QLabel* Image1 = nullptr; // banner
    QLabel* Image2 = nullptr; // header picture
    QLabel* Label9 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr; // "Сервер": its content is added by the account-data page
    QPushButton* ButOK = nullptr;
    QPushButton* ButCancel = nullptr;

    // "Подключение"
    QLineEdit* Edit1 = nullptr;
    QLineEdit* Edit2 = nullptr;
    QCheckBox* CheckBox4 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QCheckBox* CheckBox2 = nullptr;
    QLabel* LabelProxyServer = nullptr;
    QLineEdit* Edit3 = nullptr;
    QLabel* LabelProxyPort = nullptr;
    QLineEdit* Edit4 = nullptr;
    QLabel* LabelProxyUser = nullptr;
    QLineEdit* Edit5 = nullptr;
    QLabel* LabelProxyPassword = nullptr;
    QLineEdit* Edit6 = nullptr;

    // "Интерфейс"
    QCheckBox* CheckBox5 = nullptr;
    QCheckBox* CheckBox7 = nullptr;
    QCheckBox* CheckBox12 = nullptr;
    QCheckBox* CheckBox9 = nullptr;
    QCheckBox* CheckBox3 = nullptr;
    QSlider* TrackBar1 = nullptr;
    QCheckBox* CheckBox10 = nullptr;
    QCheckBox* CheckBox11 = nullptr;
    QRadioButton* RadioButton1 = nullptr;
    QRadioButton* RadioButton2 = nullptr;
    QComboBox* ComboBox1 = nullptr;
    QLineEdit* Edit8 = nullptr;
    QLineEdit* Edit7 = nullptr;
    QPushButton* SpeedButton1 = nullptr;

    // "Звуки": the file fields with their browse and test buttons.
    QLineEdit* FilenameEdit1 = nullptr;
    QLineEdit* FilenameEdit4 = nullptr;
    QLineEdit* FilenameEdit2 = nullptr;
    QLineEdit* FilenameEdit3 = nullptr;
    QToolButton* SpeedButton2 = nullptr;
    QToolButton* SpeedButton5 = nullptr;
    QToolButton* SpeedButton3 = nullptr;
    QToolButton* SpeedButton4 = nullptr;

    // Handlers.
    void FormShow();
    void ButOKClick();
    void ButCancelClick();
    void CheckBox1Click();
    void CheckBox4Click();
    void CheckBox3Click();
    void TrackBar1Change();
    void ComboBox1Change();
    void Button1Click();
    // Opens the file dialog for one of the four sound fields.
    void BrowseSound(QLineEdit* field);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;

private:
    void FormCreate();
    QWidget* buildConnectionPage();
    QWidget* buildInterfacePage();
    QWidget* buildSoundsPage();
    bool store();
    void FormClose();

    Context m_context;
    QList<SkinChoice> m_skinFiles;
    bool m_shown = false;
    bool m_closed = false;
};
