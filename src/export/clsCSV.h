#pragma once
// clsCSV: writes the result of one SELECT to a CSV file in the user's format
// (the CSVOptions collection the CSV options dialog gives). ";" without
// delimiters takes the fast path: the rows as Query's "CSV2" form writes them,
// in UTF-8. Any other choice takes the full path: a title line and every value
// formatted by its column's type, in UTF-16LE. Both run the statement once and
// stream from its record set; the file is written under a temporary name and
// replaces the old one only when complete.
#include "core/Collection.h"
#include "core/Variant.h"
#include "export/ExportObject.h"

#include <QString>

namespace db {
class ResultSet;
class RowReader;
}

// The options FormatCSVValue and the writer read, taken from CSVOptions.
struct CSVSettings {
    QString FicheroDestino;
    QString RutaDestino;
    QString SeparadorCampos = QStringLiteral(";");
    QString FormatoFecha = QStringLiteral("dd/mm/yyyy");
    QString SeparadorDecimal = QStringLiteral(".");
    int PosicionesDecimales = 4;
    QString Delimitador;   // DelimitadorCampos with "''" read as a double quote
    QString Diferenciador; // as typed
    bool DelimitadorTexto = false;
    bool DelimitadorNumero = false;
    bool DelimitadorFecha = false;
    bool DelimitadorTitulos = false;

    // Raises Error when a key is missing or a value does not convert.
    static CSVSettings fromOptions(const Collection& colParams);
    // ";" with no delimiter and no delimiter flag: the rows as the data layer renders them.
    bool fastPath() const;
};

// One value (title false) or one column title (title true, value the column
// name) as the full path writes it, by FieldTypeCode. Null values become the
// type's marker; only a column whose name ends in "#" is delimited, when its
// type's flag is set. A bare field holding the separator, a double quote, CR or
// LF is quoted.
QString FormatCSVValue(const QString& columnName, const Variant& value, int fieldType, const CSVSettings& options,
                       bool title);

// A number with exactly `places` decimals, rounded half to even from its
// shortest exact digits (a Single's float digits, Currency's four places),
// with `separator` before the decimals ("12." for 12 with no places). Text
// that is not a number comes back unchanged.
QString FixedDecimals(const Variant& value, int fieldType, int places, const QString& separator);

class clsCSV : public ExportObject {
public:
    clsCSV() : ExportObject(QStringLiteral("Granvik.clsCSV")) {}

    // True when the file was written. A statement that is not one SELECT is
    // refused with a notice; any failure is reported and gives False, the old
    // file unchanged.
    bool GenerateCSV(const QString& sSQL, const CollectionPtr& colParams);

    // Rows read, rendered and written at a time (the full path's take twice the memory a character).
    static constexpr qint64 BlockRows = 20000;
    static constexpr qint64 FullBlockRows = 10000;

private:
    void writeFast(db::RowReader& rows, const CSVSettings& options);
    void writeFull(db::RowReader& rows, const CSVSettings& options);
};
