// The paging bar of a large result: the vertical scroll bar beside the grid
// stands for the whole record set, and each move of it refills the grid's
// rows with one page of records read back from the result's file.
//
// The bar's range is 32-bit, so it counts records one to one (1 ... count):
// no offset, no scale, and the kind of move comes from the bar's own action
// (arrow, track click, drag, Home/End) instead of from how far it moved.
#include "querypage/MaxSQL.h"

#include "controls/ControlSupport.h"
#include "platform/db/Recordset.h"
#include "platform/db/ResultSet.h"
#include "querypage/LoadRules.h"

#include <QScopeGuard>
#include <QScrollBar>
#include <algorithm>
#include <limits>

static_assert(int(PageController::StepForward) == QAbstractSlider::SliderSingleStepAdd &&
              int(PageController::PageBack) == QAbstractSlider::SliderPageStepSub &&
              int(PageController::Drag) == QAbstractSlider::SliderMove);

void MaxSQL::OnDemandElevatorConfig(qint64& count, bool& resetPosition)
{
    guarded("OnDemandElevatorConfig", [&] {
        OnDemandElevator->setSingleStep(1);
        ctl_.PageRows = loadrules::pageRows(twips_.value(flexi_).height());
        flexi_->setRows(ctl_.PageRows + 1);
        const bool wasBusy = ctl_.ElevatorBusy;
        ctl_.ElevatorBusy = true;
        OnDemandElevator->setRange(1, int(std::clamp<qint64>(count, 1, std::numeric_limits<int>::max())));
        OnDemandElevator->setPageStep(ctl_.PageRows);
        if (resetPosition)
            ctl_.PagePosition = 1;
        SetOnDemandElevatorValue(ctl_.PagePosition);
        ctl_.ElevatorBusy = wasBusy;
    });
}

qint64 MaxSQL::OnDemandElevatorValue()
{
    qint64 position = 0;
    guarded("OnDemandElevatorValue", [&] {
        position = OnDemandElevator->sliderPosition();
    });
    return position;
}

void MaxSQL::SetOnDemandElevatorValue(qint64& position)
{
    guarded("SetOnDemandElevatorValue", [&] {
        const qint64 v = position;
        const bool wasBusy = ctl_.ElevatorBusy;
        ctl_.ElevatorBusy = true;
        OnDemandElevator->setValue(int(std::clamp<qint64>(v, OnDemandElevator->minimum(), OnDemandElevator->maximum())));
        ctl_.ElevatorBusy = wasBusy;
    });
}

void MaxSQL::OnDemandElevator_Change(int action)
{
    guarded("OnDemandElevator_Change", [&] {
        if (ctl_.ElevatorBusy || !ctl_.ResultSet)
            return;
        const qint64 position = ctl_.MovedPosition(action, OnDemandElevatorValue());
        if (position < 0)
            return;
        ctl_.PagePosition = position;
        SetOnDemandElevatorValue(ctl_.PagePosition);
        RefillPage();
    });
}

void MaxSQL::RefillPage()
{
    if (!ctl_.ResultSet || !ctl_.ResultSet->result())
        return;
    // The bar's own moves are ignored while the page fills, and heard again
    // however the fill ends: a failed refill must not leave the bar dead.
    const auto busy = qScopeGuard([this, wasBusy = ctl_.ElevatorBusy] { ctl_.ElevatorBusy = wasBusy; });
    ctl_.ElevatorBusy = true;
    {
        const controls::RedrawGuard drawing(*flexi_);
        const qint64 last = std::min<qint64>(ctl_.PagePosition + ctl_.PageRows - 1, ctl_.PagingRecordCount);
        const int shown = int(std::max<qint64>(last - ctl_.PagePosition + 1, 0));
        const bool editable = ctl_.GridEditable && flexi_->Rows() > 1;
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
            flexi_->setTextBlock(1, 0, ctl_.RecordTexts(ctl_.PagePosition - 1, shown));
        // Columns fitted to the first page widen to the texts of this one, as
        // far as the fit lets a column grow; a text wider still is painted
        // shortened with its mark.
        if (shown > 0)
            FitColumns(true);
        if (editable && shown > 0)
            flexi_->setRow(1);
        if (ctl_.GridEditable) {
            RefreshEditedRows(false);
            // The cell the grid compares on leaving now holds this page's text:
            // leaving it unchanged must not count as an edit.
            flexi_->setLastRowChanged(flexi_->Row());
            flexi_->setLastColChanged(flexi_->Col());
        }
    }
}
