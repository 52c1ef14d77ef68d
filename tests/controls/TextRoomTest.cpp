#include "controls/TextRoom.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

// A caption whose text needs `more` pixels than its 20, a long box after it
// and a button at the end of one row, fitted to their texts.
struct Row {
    QWidget window;
    QLabel* caption = new QLabel(&window);
    QLineEdit* box = new QLineEdit(&window);
    QPushButton* button = new QPushButton(&window);
    Row(int more, bool yielding)
    {
        window.resize(600, 60);
        const std::pair<QWidget*, QRect> design[] = {
            {caption, QRect(0, 10, 20, 20)}, {box, QRect(30, 10, 200, 20)}, {button, QRect(240, 10, 60, 20)}};
        for (const auto& [w, rect] : design) {
            w->setObjectName(w->metaObject()->className());
            controls::placeAtDesign(w, rect);
        }
        while (QFontMetrics(caption->font()).horizontalAdvance(caption->text()) < 20 + more)
            caption->setText(caption->text() + u'x');
        controls::setYielding(box, yielding);
        controls::fitTexts(&window);
    }
};

} // namespace

TEST(TextRoom, ALongBoxGivesItsRoomToAGrownCaptionUpToHalfItsWidth)
{
    Row plain(40, false);
    EXPECT_GT(plain.button->x(), 240) << "a box that does not yield pushes the row along";

    Row yielding(40, true);
    EXPECT_GT(yielding.box->x(), yielding.caption->geometry().right());
    EXPECT_EQ(std::pair(yielding.box->geometry().right(), yielding.button->x()), std::pair(229, 240));

    Row far(250, true);
    EXPECT_EQ(far.box->width(), 100);
    EXPECT_GT(far.box->x(), far.caption->geometry().right());
    EXPECT_GT(far.button->x(), far.box->geometry().right());
}
