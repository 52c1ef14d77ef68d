#pragma once
// The message dialog of clsError::MsgBox.
#include <QDialog>

class frmMsgBox : public QDialog {
    Q_OBJECT
public:
    explicit frmMsgBox(QWidget* parent = nullptr);
};
