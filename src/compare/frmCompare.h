#pragma once
// frmCompare, "Comparador de Bases de Datos": the window over the comparison's
// controller. It builds the controls with their names and design places,
// copies the controller's control models onto them, hands user actions back,
// and stands in for the controller's window, progress and grid sinks.
//
// Opening (the query page): create it, set the inputs in the order of the
// protocol (Zolt, MSG, SCR, CurrentConnectionType, CurrentDriver, CurrentSRV,
// CurrentBBDD, CurrentUID, CurrentPWD, ParentFormTop, ParentFormHeight), show
// it modally; when the modal display returns (the window hid itself), delete it.
#include "compare/CompareController.h"

#include "controls/DialogFrame.h"

#include <QHash>
#include <QRectF>
#include <memory>

class MaxGrid;
class ProgressBar;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

class frmCompare : public DialogFrame, private compare::WindowSink, private compare::ProgressSink {
    Q_OBJECT
public:
    explicit frmCompare(QWidget* parent = nullptr);
    ~frmCompare() override;

    compare::CompareController& logic() { return *logic_; }

    // --- inputs
    void setZolt(std::shared_ptr<clsDO> zolt) { logic_->Zolt = std::move(zolt); }
    void setMSG(clsErrorPtr msg)
    {
        MSG = msg;
        logic_->MSG = std::move(msg);
    }
    void setSCR(std::shared_ptr<clsTablas> scr) { logic_->SCR = std::move(scr); }
    void setCurrent(const ConnectionValues& current) { logic_->Current = current; }
    // The current side one value at a time, as an opener may also give it.
    void setCurrentConnectionType(std::int16_t v) { logic_->Current.connectionType = v; }
    void setCurrentDriver(std::int16_t v) { logic_->Current.driver = v; }
    void setCurrentSRV(const QString& v) { logic_->Current.server = v; }
    void setCurrentBBDD(const QString& v) { logic_->Current.database = v; }
    void setCurrentUID(const QString& v) { logic_->Current.user = v; }
    void setCurrentPWD(const QString& v) { logic_->Current.password = v; }
    std::int32_t ParentFormTop() const { return logic_->ParentFormTop; }
    void setParentFormTop(std::int32_t v) { logic_->ParentFormTop = v; }
    std::int32_t ParentFormHeight() const { return logic_->ParentFormHeight(); }
    void setParentFormHeight(std::int32_t v) { logic_->setParentFormHeight(v); }


    // --- controls
    QToolButton *BttCompare, *BttCompareDisabled, *BttFilter, *BttFilterDisabled, *BttSalir;
    QLabel *Label9, *Label10, *Label6, *Label8, *lblServer, *lblBBDD, *lblUser, *lblPassword;
    QComboBox *cboCurrentConnectionType, *cboCurrentDriver, *cboComparedConnectionType, *cboComparedDriver;
    QLineEdit *txtCurrentServidor, *txtCurrentBBDD, *txtCurrentUser;
    QLineEdit *txtComparedServidor, *txtComparedBBDD, *txtComparedUser, *txtComparedPassword;
    QCheckBox* chkPwdVisible;
    QPushButton *BttDSN, *BttAccessFileSelection;
    QFrame *Line1, *Line2;
    MaxGrid *fgrTables, *fgrFields, *fgrIndexes;
    QFrame *fmShowProgress, *fmShowProgressShadow;
    QLabel *lblMain, *lblSubProcess;
    ProgressBar *pbMain, *pbSubProcess;
    QFrame *mnuDataBase, *mnuDatabaseShadow;
    QCheckBox *chkEqual, *chkDifferent, *chkOnlyCurrent, *chkOnlyCompared;
    QPushButton* BttCloseMenuDatabase;
    QLabel *imgEqual, *imgDifferent, *imgOnlyCurrent, *imgOnlyCompared, *imgMidIndexField, *imgLastIndexField;

protected:
    // The load step (placement, empty grids, the initial listing armed,
    // translation); runs once, at the latest when the window is first shown.
    void Form_Load() override;
    // Esc as reject; Enter is left to the controls.
    bool Form_KeyPress(int keyAscii) override;
    // Never destroyed under a running merge: the close box is the exit button.
    void exitButton() override;
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;

public slots:
    // Esc: closes an open filter menu, else the window unless a run goes on.
    void reject() override;

private:
    // WindowSink
    bool IsVisible() const override { return isVisible(); }
    void Hide() override { hide(); }
    double Width() const override;
    double Height() const override;
    void Place(double top, double height) override;
    void ControlsChanged() override { apply(); }
    // ProgressSink
    void setMainText(const QString& text) override;
    void setMainValue(int value) override;
    void setSubText(const QString& text) override;
    void setSubValue(int value) override;
    void placePanel(double left, double top) override;

    // The last grid ends where the designed window's right margin begins.
    void placeLastGrid(int windowWidth);
    // A control's place in twips: its rules' place, or in a window opened
    // narrower than designed, moved along its row to make that room.
    QRectF placeOf(const compare::PanelControl& m) const;
    double narrowerBy_ = 0; // twips

    void build();
    void buildRows();
    void buildGrids();
    void buildPanels();
    void wire();
    // Copies the control models onto the widgets.
    void apply();
    // Runs a widget's handler with its trace tag; the widgets follow the models afterwards.
    template <class F>
    void act(const char* procedure, F&& body);

    std::unique_ptr<compare::CompareController> logic_;
    std::vector<std::unique_ptr<compare::GridSink>> sinks_;
    QHash<compare::PanelControl*, QWidget*> widgets_;
    bool applying_ = false;
};
