#pragma once
// The page's push button: caption under its picture, an enabled and a greyed
// picture, and an action on mouse-up whatever the mouse button.
#include <QIcon>
#include <QToolButton>

class PushButton : public QToolButton {
    Q_OBJECT
public:
    explicit PushButton(const QString& name, const QString& caption, QWidget* parent = nullptr);
    // The enabled picture; the greyed one is made from it unless given.
    void setPictures(const QPixmap& enabled, const QPixmap& grey = QPixmap());

signals:
    // Button 1 left, 2 right, 4 middle; Shift 1 Shift, 2 Ctrl, 4 Alt; X, Y in twips.
    void mouseUp(int button, int shift, float x, float y);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
