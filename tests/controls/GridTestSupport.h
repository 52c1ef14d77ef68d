#pragma once
// A grid with a recording message object, the Spanish locale and a log of
// the events it raises, plus key helpers that go through the inner view.
#include "controls/MaxGrid.h"
#include "core/Dialogs.h"
#include "core/ValueText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QTableView>
#include <QTimer>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

class GridTest : public ::testing::Test {
protected:
    ValueText::ScopedLocale locale{QLocale(QLocale::Spanish, QLocale::Spain)};
    MaxGrid grid;
    std::shared_ptr<clsError> msg = std::make_shared<clsError>();
    std::shared_ptr<MsgBoxRecorder> boxes = std::make_shared<MsgBoxRecorder>();
    QTableView* view = nullptr;
    QStringList events;
    int cellChanged = 0;

    void SetUp() override
    {
        msg->setRecorder(boxes);
        grid.setMsgObject(msg);
        view = grid.innerGrid();
        QObject::connect(&grid, &MaxGrid::LeaveCell, [this] { events << "LeaveCell"; });
        QObject::connect(&grid, &MaxGrid::EnterCell, [this] { events << "EnterCell"; });
        QObject::connect(&grid, &MaxGrid::RowColChange, [this] { events << "RowColChange"; });
        QObject::connect(&grid, &MaxGrid::CellChanged, [this] {
            events << "CellChanged";
            ++cellChanged;
        });
    }

    // rows × cols with one fixed row, header "H0".."Hn", data "r,c" unless empty.
    void fill(int rows, int cols, bool withData = true)
    {
        grid.setFixedCols(0);
        grid.setRows(rows);
        grid.setCols(cols);
        for (int c = 0; c < cols; ++c)
            grid.setTextMatrix(0, c, QStringLiteral("H%1").arg(c));
        if (withData)
            for (int r = 1; r < rows; ++r)
                for (int c = 0; c < cols; ++c)
                    grid.setTextMatrix(r, c, QStringLiteral("%1,%2").arg(r).arg(c));
    }

    // Editable grid with the current cell on (row, col), tracked as entered.
    void editAt(int row, int col)
    {
        grid.setEditable(true);
        grid.setRow(row);
        grid.setCol(col);
        if (grid.LastRowChanged() != row || grid.LastColChanged() != col) {
            // Already there: enter it again through another cell.
            grid.setCol(col == 0 ? 1 : 0);
            grid.setCol(col);
        }
        events.clear();
        cellChanged = 0;
    }

    void moveTo(int row, int col)
    {
        grid.setRow(row);
        grid.setCol(col);
    }
    std::pair<int, int> cell() const { return {grid.Row(), grid.Col()}; }

    void focus()
    {
        QFocusEvent in(QEvent::FocusIn, Qt::TabFocusReason);
        QApplication::sendEvent(view, &in);
    }

    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(view, k, mods); }
    void type(const QString& text) { QTest::keyClicks(view, text); }
    void commit(const QString& text)
    {
        QInputMethodEvent e;
        e.setCommitString(text);
        QApplication::sendEvent(view, &e);
    }
};
