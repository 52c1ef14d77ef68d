#pragma once
// frmCSV: the window in which the user chooses how a result is written to a
// CSV file (folder and name, separator, delimiter and its replacement, date
// format, decimal separator and places, the kinds of columns delimited). It
// remembers every choice in section [CSV] of "Velmora.ini". The opener sets
// SCR and MSG, runs it modally, reads Cancelled and, when False, the outputs
// (CSVOptions() gathers them for clsCSV), then deletes it.
#include "core/Collection.h"
#include "pagedialogs/CsvOutputs.h"

#include "controls/DialogFrame.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QLineEdit;
class clsError;
class clsTablas;


// What the window's controls hold, by control.
struct CSVFormState {
    QString txtRuta;
    QString txtNombreFichero;
    int optSeparador = 0;
    QString txtSeparador;
    int optDelimitador = 0;
    QString txtDelimitador;
    QString txtDiferenciador;
    bool chkDelimitadorTexto = true;
    bool chkDelimitadorNumero = false;
    bool chkDelimitadorFecha = false;
    bool chkDelimitadorTitulos = true;
    int optFecha = 0;
    int optNumero = 0;
    QString txtDecimales = QStringLiteral("4");
};

// The window's rules, apart from its widgets.
namespace csvdialog {

// Stored [CSV] texts and what the controls show: a double quote is stored as
// "'''" in CustomizedDelimitator and as "||||" in Differentiator.
QString encodeDelimiter(const QString& typed);
QString decodeDelimiter(const QString& stored);
QString encodeDifferentiator(const QString& typed);
QString decodeDifferentiator(const QString& stored);

// The option a stored index selects among `count`; raises Error for text that
// is no number or an index without an option.
int optionIndex(const QString& stored, int count);

// The outputs but PosicionesDecimales (the folder ends in "/").
CSVOutputs outputsOf(const CSVFormState& state);
// The number of decimals; raises Error for text that is not a whole number.
std::int16_t decimalPlaces(const QString& text);
// The 14 [CSV] keys and their texts, in the order they are written.
std::vector<std::pair<QString, QString>> settingsOf(const CSVFormState& state);

} // namespace csvdialog


class frmCSV : public DialogFrame {
    Q_OBJECT
public:
    explicit frmCSV(QWidget* parent = nullptr);
    ~frmCSV() override;

    void setSCR(std::shared_ptr<clsTablas> scr) { scr_ = std::move(scr); }
    void setMSG(std::shared_ptr<clsError> msg) { MSG = std::move(msg); }

    const CSVOutputs& Outputs() const { return outputs_; }
    QString FicheroDestino() const { return outputs_.FicheroDestino; }
    QString RutaDestino() const { return outputs_.RutaDestino; }
    QString NombreFichero() const { return outputs_.NombreFichero; }
    QString SeparadorCampos() const { return outputs_.SeparadorCampos; }
    QString FormatoFecha() const { return outputs_.FormatoFecha; }
    QString SeparadorDecimal() const { return outputs_.SeparadorDecimal; }
    std::int16_t PosicionesDecimales() const { return outputs_.PosicionesDecimales; }
    QString DelimitadorCampos() const { return outputs_.DelimitadorCampos; }
    QString Diferenciador() const { return outputs_.Diferenciador; }
    bool DelimitadorTexto() const { return outputs_.DelimitadorTexto; }
    bool DelimitadorNumero() const { return outputs_.DelimitadorNumero; }
    bool DelimitadorFecha() const { return outputs_.DelimitadorFecha; }
    bool DelimitadorTitulos() const { return outputs_.DelimitadorTitulos; }

    // The window's handlers, as its controls and keys call them (Esc and
    // Enter before the control that has the focus).
    void BttAceptar_MouseUp();
    void BttSalir_MouseUp();
    bool Form_KeyPress(int keyAscii) override;
    void optSeparador_Click(int index);
    void optDelimitador_Click(int index);

    // What the controls hold now.
    CSVFormState state() const;

protected:
    // Reads [CSV] into the controls and translates the window; runs once, at
    // the first showing unless loaded before.
    void Form_Load() override;
    void exitButton() override { BttSalir_MouseUp(); }
    void acceptButton() override { BttAceptar_MouseUp(); }
    void showEvent(QShowEvent* event) override;

private:
    QString settingsFile() const;
    int GetSelectedOption(const QButtonGroup* group) const;
    void select(QButtonGroup* group, int index);
    // Runs a handler: a failure is reported under its TraceTag and ends it.
    template <class F>
    void handle(const char* traceTag, F&& body) const;
    bool notBlank(QLineEdit* control, const QString& description);

    std::shared_ptr<clsTablas> scr_;
    CSVOutputs outputs_;

    QLineEdit* txtRuta = nullptr;
    QLineEdit* txtNombreFichero = nullptr;
    QLineEdit* txtSeparador = nullptr;
    QLineEdit* txtDelimitador = nullptr;
    QLineEdit* txtDiferenciador = nullptr;
    QLineEdit* txtDecimales = nullptr;
    QButtonGroup* optSeparador = nullptr;
    QButtonGroup* optDelimitador = nullptr;
    QButtonGroup* optFecha = nullptr;
    QButtonGroup* optNumero = nullptr;
    QCheckBox* chkDelimitadorTexto = nullptr;
    QCheckBox* chkDelimitadorNumero = nullptr;
    QCheckBox* chkDelimitadorFecha = nullptr;
    QCheckBox* chkDelimitadorTitulos = nullptr;
    QAbstractButton* BttAceptar = nullptr;
    QAbstractButton* BttSalir = nullptr;
};
