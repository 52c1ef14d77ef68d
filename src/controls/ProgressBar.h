#pragma once
// ProgressBar: a grey trough across the control and a green bar inside it,
// drawn in pieces of fixed pixel widths; mode 0 shows Value of MaxValue,
// mode 1 grows in steps and starts again; a shine sweeps the bar while Bright.
// The pieces are a model in twips that the widget paints and tests read.
#include <QWidget>
#include <cstdint>

class QTimer;

namespace controls {
class PropertyBag;
}

class ProgressBar : public QWidget {
    Q_OBJECT
public:
    struct Piece {
        double Left = 0, Top = 0, Width = 0, Height = 0;
        bool Visible = true;
    };
    static constexpr double BarHeight = 225;

    explicit ProgressBar(QWidget* parent = nullptr);

    std::int32_t Value() const { return value_; }
    void setValue(std::int32_t value);
    std::int32_t MaxValue() const { return maxValue_; }
    void setMaxValue(std::int32_t value);
    std::int32_t Mode() const { return mode_; }
    void setMode(std::int32_t value);
    // The bar's own switch: while False nothing is redrawn and only a Value
    // of 0 is taken. Not the widget's enabled state.
    bool Enabled() const { return enabled_; }
    void setEnabled(bool value);
    bool Bright() const { return bright_; }
    void setBright(bool value);
    bool ShinePaused() const { return shinePaused_; }

    void InitProperties();
    void WriteProperties(controls::PropertyBag& bag) const;
    void ReadProperties(const controls::PropertyBag& bag);

    // The drawn pieces, in twips.
    const Piece& imgGrisInicio() const { return grisInicio_; }
    const Piece& imgGrisMedio() const { return grisMedio_; }
    const Piece& imgGrisFinal() const { return grisFinal_; }
    const Piece& ContenedorVerde() const { return contenedor_; }
    const Piece& imgVerdeZero() const { return verdeZero_; }
    const Piece& imgVerdeInicio() const { return verdeInicio_; }
    const Piece& imgVerdeMedio() const { return verdeMedio_; }
    const Piece& imgVerdeFin() const { return verdeFin_; }
    const Piece& Brillo() const { return brillo_; }
    QTimer* tmrUnreal() const { return tmrUnreal_; }
    QTimer* tmrMovement() const { return tmrMovement_; }

public slots:
    void tmrUnreal_Timer();
    void tmrMovement_Timer();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void Redraw();
    void SetRunning(bool running);
    void setContainerWidth(double width);
    void layoutTrough();
    double widthTwips() const;
    double onePixel() const;

    std::int32_t value_ = 0;
    std::int32_t maxValue_ = 100;
    std::int32_t mode_ = 0;
    bool shinePaused_ = false;
    bool enabled_ = false;
    bool bright_ = true;

    Piece grisInicio_, grisMedio_, grisFinal_;
    Piece contenedor_, verdeZero_, verdeInicio_, verdeMedio_, verdeFin_, brillo_;
    QTimer* tmrUnreal_;
    QTimer* tmrMovement_;
};
