#include "frmMsgBox.h"

frmMsgBox::frmMsgBox(QWidget* parent) : QDialog(parent) {}
