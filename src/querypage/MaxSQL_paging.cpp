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

#include <QScrollBar>
#include <algorithm>
#include <cmath>
#include <limits>

void MaxSQL::OnDemandElevatorConfig(qint64& count, bool& resetPosition)
{
    guarded("OnDemandElevatorConfig", [&] {
        OnDemandElevator->setSingleStep(1);
        PageRows = loadrules::pageRows(twips_.value(flexi_->widget()).height());
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
    const bool wasBusy = ElevatorBusy;
    ElevatorBusy = true;
    {
        const controls::RedrawGuard drawing(*flexi_);
        const qint64 last = std::min<qint64>(PagePosition + PageRows - 1, PagingRecordCount);
        const int shown = int(std::max<qint64>(last - PagePosition + 1, 0));
        flexi_->setRows(shown + 1);
        const db::ResultSet* rows = ResultSet->result();
        const qint64 first = PagePosition;
        // Null writes nothing into the emptied cell.
        flexi_->FillRows(1, shown, [rows, first](int row, int col, QString& out) {
            rows->appendText(out, first - 1 + row - 1, col, QString());
        });
        if (GridEditable)
            RefreshEditedRows(false);
    }
    ElevatorBusy = wasBusy;
}
