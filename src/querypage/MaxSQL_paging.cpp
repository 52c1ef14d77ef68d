// The paging bar of a large result: the vertical scroll bar beside the grid
// stands for the whole record set, and each move of it refills the grid's
// rows with one page of records from the record set held in memory.
//
// The bar's range is 32-bit, so it counts records one to one (1 ... count):
// no offset, no scale, and the kind of move comes from the bar's own action
// (arrow, track click, drag, Home/End) instead of from how far it moved.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "platform/db/Recordset.h"
#include "platform/db/ResultSet.h"
#include "querypage/LoadRules.h"
#include "querypage/ResultTexts.h"

#include <QScopeGuard>
#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

void MaxSQL::OnDemandElevatorConfig(qint64& count, bool& resetPosition)
{
    guarded("OnDemandElevatorConfig", [&] {
        OnDemandElevator->setSingleStep(1);
        PageRows = loadrules::pageRows(twips_.value(flexi_).height());
        flexi_->setRows(PageRows + 1);
        ElevatorOffset = 0;
        ElevatorScale = 1;
        const bool wasBusy = ElevatorBusy;
        ElevatorBusy = true;
        OnDemandElevator->setRange(1, int(std::clamp<qint64>(count, 1, std::numeric_limits<int>::max())));
        OnDemandElevator->setPageStep(PageRows);
        if (resetPosition)
            PagePosition = 1;
        SetOnDemandElevatorValue(PagePosition);
        ElevatorBusy = wasBusy;
    });
}

qint64 MaxSQL::OnDemandElevatorValue()
{
    qint64 position = 0;
    guarded("OnDemandElevatorValue", [&] {
        position = std::llround((OnDemandElevator->sliderPosition() + ElevatorOffset) * ElevatorScale);
    });
    return position;
}

void MaxSQL::SetOnDemandElevatorValue(qint64& position)
{
    guarded("SetOnDemandElevatorValue", [&] {
        const qint64 v = std::llround((position - ElevatorOffset * ElevatorScale) / ElevatorScale);
        const bool wasBusy = ElevatorBusy;
        ElevatorBusy = true;
        OnDemandElevator->setValue(int(std::clamp<qint64>(v, OnDemandElevator->minimum(), OnDemandElevator->maximum())));
        ElevatorBusy = wasBusy;
        ElevatorLastValue = OnDemandElevator->value();
    });
}

void MaxSQL::OnDemandElevator_Change(int action)
{
    guarded("OnDemandElevator_Change", [&] {
        if (ElevatorBusy || !ResultSet)
            return;
        qint64 position = PagePosition;
        switch (action) {
        case QAbstractSlider::SliderSingleStepAdd: position += 1; break;
        case QAbstractSlider::SliderSingleStepSub: position -= 1; break;
        case QAbstractSlider::SliderPageStepAdd: position += PageRows; break;
        case QAbstractSlider::SliderPageStepSub: position -= PageRows; break;
        case QAbstractSlider::SliderToMinimum: position = 1; break;
        case QAbstractSlider::SliderToMaximum: position = PagingRecordCount; break;
        case QAbstractSlider::SliderMove: position = OnDemandElevatorValue(); break;
        default: return;
        }
        PagePosition = std::clamp<qint64>(position, 1, std::max<qint64>(PagingRecordCount, 1));
        SetOnDemandElevatorValue(PagePosition);
        RefillPage();
    });
}

void MaxSQL::RefillPage()
{
    if (!ResultSet || !ResultSet->result())
        return;
    // The bar's own moves are ignored while the page fills, and heard again
    // however the fill ends: a failed refill must not leave the bar dead.
    const auto busy = qScopeGuard([this, wasBusy = ElevatorBusy] { ElevatorBusy = wasBusy; });
    ElevatorBusy = true;
    {
        const controls::RedrawGuard drawing(*flexi_);
        const qint64 last = std::min<qint64>(PagePosition + PageRows - 1, PagingRecordCount);
        const int shown = int(std::max<qint64>(last - PagePosition + 1, 0));
        const bool editable = GridEditable && flexi_->Rows() > 1;
        if (editable) {
            // Leaving the current cell takes a pending edit over before its row changes records.
            flexi_->setRow(1);
            flexi_->setCol(0);
            // The old page's texts and row colours go in one stroke.
            flexi_->setRows(1);
        }
        flexi_->setRows(shown + 1);
        // One write of the page; a Null empties its cell.
        if (shown > 0)
            flexi_->setTextBlock(1, 0, resulttexts::rows(*ResultSet->result(), PagePosition - 1, shown));
        if (editable && shown > 0)
            flexi_->setRow(1);
        if (GridEditable) {
            RefreshEditedRows(false);
            // The cell the grid compares on leaving now holds this page's text:
            // leaving it unchanged must not count as an edit.
            flexi_->setLastRowChanged(flexi_->Row());
            flexi_->setLastColChanged(flexi_->Col());
        }
    }
}
