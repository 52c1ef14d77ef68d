#pragma once
// A thin layer over libxlsxwriter for the workbooks the program writes: rows
// go out in order (constant-memory mode, so a sheet of a million rows costs
// little memory), their temporary files in a folder the caller chooses (the
// system's temporary folder may live in memory). The library has no autofit:
// the sheet keeps the longest text written per column and fitColumns() sets
// the widths from it.
#include <QDateTime>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

struct lxw_workbook;
struct lxw_worksheet;
struct lxw_format;

namespace xlsx {

// How cells look; every part left at its default is the sheet's default.
struct Style {
    QString fontName;
    double fontSize = 0;
    bool bold = false;
    bool underline = false;     // single
    QString numberFormat;       // "@" text, "0.00", "dd/mm/yyyy" ...
    bool thinBorder = false;    // all four sides
    std::optional<std::uint32_t> solidFill; // 0xRRGGBB
};

using Format = lxw_format*;

class Workbook {
public:
    // The workbook is written at `path` by close(). Raises Error when it cannot be started.
    Workbook(const QString& path, const QString& tmpDir);
    // A workbook that was not closed is dropped: nothing is written.
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    Format addFormat(const Style& style);
    // A new sheet at the end ("" for the library's own name); later writes go to it.
    void addSheet(const QString& name);
    // The sheet shown when the workbook opens.
    void activateSheet();

    // Rows and columns from 0. Every failure raises Error with the library's text.
    void setRowFormat(int row, Format format);
    // `measure`: whether the text counts for its column's width.
    void writeText(int row, int col, QStringView text, Format format, bool measure = true);
    // The same for a text already in UTF-8, measured.
    void writeUtf8(int row, int col, std::string_view text, Format format);
    // textLength: the length the value shows with, for the column's width.
    void writeNumber(int row, int col, double value, Format format, int textLength);
    void writeDate(int row, int col, const QDateTime& value, Format format, int textLength);

    // Every column that received text gets the width of its longest text plus
    // one (at most 255), and the columns in `formats` their format, in one
    // call per column.
    void fitColumns(const std::map<int, Format>& formats);

    // Writes the file; raises Error when the library fails.
    void close();

private:
    void check(int error) const;
    void measure(int col, int length);

    lxw_workbook* book_ = nullptr;
    lxw_worksheet* sheet_ = nullptr;
    std::vector<lxw_worksheet*> sheets_;
    QByteArray path_;
    QByteArray tmpDir_;
    std::vector<int> widths_;
    QByteArray scratch_;
};

} // namespace xlsx
