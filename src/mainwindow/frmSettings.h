#pragma once
// frmSettings: the global settings of "Velmora.ini" (Access providers, export
// folders, password countdown, key display, language). It reads every key
// when it opens and writes every key on Aceptar; a failed write is reported
// and the dialog stays open with the file unchanged.
#include "controls/DialogFrame.h"
#include "mainwindow/SettingsRules.h"

#include <functional>

class MaxText;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;
class clsTablas;

class frmSettings : public DialogFrame {
    Q_OBJECT
public:
    explicit frmSettings(QWidget* parent = nullptr);

    std::shared_ptr<clsTablas> SCR;
    // The folder choice: the chosen folder, "" when cancelled (tests replace it).
    std::function<QString(QWidget* owner, const QString& prompt)> chooseFolder;

    QComboBox *cboMDB = nullptr, *cboACCDB = nullptr;
    QLineEdit *txtCSVPath = nullptr, *txtScriptPath = nullptr;
    QCheckBox *chkPasswordTime = nullptr, *chkExcludeIndex = nullptr;
    MaxText* txtPasswordTime = nullptr;
    QButtonGroup* optLanguage = nullptr;
    PushButton *BttAceptar = nullptr, *BttSalir = nullptr, *BttCSVDirSelection = nullptr,
               *BttScriptDirSelection = nullptr;

    // Reads the settings into the controls and translates the window (the
    // opener calls it once MSG and SCR are set). Errors reach the caller.
    void Form_Load() override;
    // True once Aceptar saved the settings.
    bool Saved() const { return saved_; }

    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();
    void BttCSVDirSelection_MouseUp();
    void BttScriptDirSelection_MouseUp();
    void chkPasswordTime_Click();

protected:
    void exitButton() override { guarded({}, [this] { BttSalir_MouseUp(); }, SalirTag); }
    void acceptButton() override { guarded(QStringLiteral("BttAceptar_MouseUp"), [this] { BttAceptar_MouseUp(); }); }

private:
    static inline const QString SalirTag = QStringLiteral("{1FRMSETTINGS.BttSalir_MOUSEUP}");
    void chooseInto(QLineEdit* box);
    SettingsRules::Values shown() const;
    QString file() const;

    int languageAtLoad_ = 0;
    bool saved_ = false;
};
