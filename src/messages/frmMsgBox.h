#pragma once
// The message dialog: a white header band with an icon, a bold main title and
// a grey subtitle, the body text, and a row of up to three buttons with an
// optional "No volver a preguntar" box. clsError::MsgBox fills and shows it;
// the dialog reports its clicks and keys to the message object (Parent).
#include <QColor>
#include <QDialog>
#include <QFont>

class QCheckBox;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class clsError;

class frmMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit frmMsgBox(QWidget* parent = nullptr);
    ~frmMsgBox() override;

    // The message object that created the dialog and receives its events.
    clsError* Parent = nullptr;

    QLabel* lblWhiteBG = nullptr;
    QFrame* Line1 = nullptr;
    QFrame* Line2 = nullptr;
    QLabel* imgCritical = nullptr;
    QLabel* imgQuestion = nullptr;
    QLabel* imgInformation = nullptr;
    QLabel* imgError = nullptr;
    QLabel* lblMainTitle = nullptr;
    QLabel* lblSubTitle = nullptr;
    QPlainTextEdit* txtBody = nullptr;
    QWidget* pnlButtons = nullptr;
    QCheckBox* chkDontAskAgain = nullptr;
    QPushButton* cmd[3] = {nullptr, nullptr, nullptr};
    QTimer* tmrError = nullptr;

    // The main title's colour (black, or red while a critical title blinks).
    QColor mainTitleColor() const { return titleColor_; }
    void setMainTitleColor(const QColor& color);

    // The dialog's font (Tahoma 8.25 pt); texts of translated windows are measured in it.
    static QFont dialogFont();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void cmd_Click(int index);
    void tmrError_Timer();
    bool Form_KeyPress(int keyAscii);

    QColor titleColor_ = Qt::black;
};
