#pragma once
// The members of a list grid that the incremental search drives. The grid
// control implements it; row and column are counted from 0.
#include <QString>

class ListGrid {
public:
    virtual ~ListGrid() = default;
    virtual int Rows() const = 0;
    // A cell outside the grid raises the grid's error.
    virtual QString TextMatrix(int row, int col) const = 0;
    virtual void setTopRow(int row) = 0;
    virtual void setRedraw(bool on) = 0;
};
