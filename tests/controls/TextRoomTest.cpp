#include "controls/TextRoom.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

template <class W>
W* placed(QWidget& parent, const char* name, const QRect& design)
{
    auto* w = new W(&parent);
    w->setObjectName(QLatin1String(name));
    controls::placeAtDesign(w, design);
    return w;
}

// A caption, a long box after it and a button at the end of one row.
struct Row {
    QWidget window;
    QLabel* caption = placed<QLabel>(window, "caption", QRect(0, 10, 20, 20));
    QLineEdit* box = placed<QLineEdit>(window, "box", QRect(30, 10, 200, 20));
    QPushButton* button = placed<QPushButton>(window, "button", QRect(240, 10, 60, 20));
    explicit Row(const QString& text)
    {
        window.resize(600, 60);
        caption->setText(text);
    }
    // The caption text that needs this many pixels more than it has.
    static QString longerBy(int pixels)
    {
        QString text;
        while (QFontMetrics(QLabel().font()).horizontalAdvance(text) < 20 + pixels)
            text += u'x';
        return text;
    }
};

} // namespace

TEST(TextRoom, ALongBoxGivesItsRoomToAGrownCaptionUpToHalfItsWidth)
{
    Row plain(Row::longerBy(40));
    controls::fitTexts(&plain.window);
    EXPECT_GT(plain.button->x(), 240) << "a box that does not yield pushes the row along";

    Row yielding(Row::longerBy(40));
    controls::setYielding(yielding.box);
    controls::fitTexts(&yielding.window);
    EXPECT_GT(yielding.box->x(), yielding.caption->geometry().right());
    EXPECT_EQ(yielding.box->geometry().right(), 229);
    EXPECT_EQ(yielding.button->x(), 240);

    Row far(Row::longerBy(250));
    controls::setYielding(far.box);
    controls::fitTexts(&far.window);
    EXPECT_EQ(far.box->width(), 100);
    EXPECT_GT(far.box->x(), far.caption->geometry().right());
    EXPECT_GT(far.button->x(), far.box->geometry().right());
}
