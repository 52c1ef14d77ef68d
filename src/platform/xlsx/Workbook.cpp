#include "platform/xlsx/Workbook.h"

#include "core/Error.h"

#include <xlsxwriter.h>

#include <algorithm>
#include <cstring>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace xlsx {

namespace {
constexpr int MaxWidth = 255;

[[noreturn]] void fail(const QString& text)
{
    raise(Error::InvalidProcedureCall, text, QStringLiteral("xlsx"));
}
} // namespace

Workbook::Workbook(const QString& path, const QString& tmpDir)
    : path_(path.toUtf8()), tmpDir_(tmpDir.toUtf8())
{
    lxw_workbook_options options = {};
    options.constant_memory = LXW_TRUE;
    options.tmpdir = tmpDir_.isEmpty() ? nullptr : tmpDir_.data();
    options.use_zip64 = LXW_FALSE;
    book_ = workbook_new_opt(path_.constData(), &options);
    if (!book_)
        fail(QStringLiteral("No se ha podido crear el libro ") + path);
}

// The library frees a workbook without closing the sheets' temporary files
// (open, already deleted): their room on the disk would stay taken until the
// program ends.
Workbook::~Workbook()
{
    if (!book_)
        return;
    for (lxw_worksheet* sheet : sheets_)
        if (sheet->optimize_tmpfile) {
            std::fclose(sheet->optimize_tmpfile);
            sheet->optimize_tmpfile = nullptr;
        }
    lxw_workbook_free(book_);
}

void Workbook::check(int error) const
{
    if (error != LXW_NO_ERROR)
        fail(QString::fromUtf8(lxw_strerror(lxw_error(error))));
}

Format Workbook::addFormat(const Style& style)
{
    lxw_format* f = workbook_add_format(book_);
    if (!f)
        fail(QString::fromUtf8(lxw_strerror(LXW_ERROR_MEMORY_MALLOC_FAILED)));
    if (!style.fontName.isEmpty())
        format_set_font_name(f, style.fontName.toUtf8().constData());
    if (style.fontSize > 0)
        format_set_font_size(f, style.fontSize);
    if (style.bold)
        format_set_bold(f);
    if (style.underline)
        format_set_underline(f, LXW_UNDERLINE_SINGLE);
    if (!style.numberFormat.isEmpty())
        format_set_num_format(f, style.numberFormat.toUtf8().constData());
    if (style.thinBorder)
        format_set_border(f, LXW_BORDER_THIN);
    if (style.solidFill) {
        format_set_pattern(f, LXW_PATTERN_SOLID);
        format_set_bg_color(f, lxw_color_t(*style.solidFill));
    }
    return f;
}

void Workbook::addSheet(const QString& name)
{
    const QByteArray utf8 = name.toUtf8();
    sheet_ = workbook_add_worksheet(book_, name.isEmpty() ? nullptr : utf8.constData());
    if (!sheet_)
        fail(QStringLiteral("No se ha podido crear la hoja ") + name);
    sheets_.push_back(sheet_);
    widths_.clear();
}

void Workbook::activateSheet()
{
    worksheet_activate(sheet_);
}

void Workbook::setRowFormat(int row, Format format)
{
    check(worksheet_set_row(sheet_, lxw_row_t(row), LXW_DEF_ROW_HEIGHT, format));
}

void Workbook::measure(int col, int length)
{
    if (col >= int(widths_.size()))
        widths_.resize(std::size_t(col) + 1, -1);
    widths_[std::size_t(col)] = std::max(widths_[std::size_t(col)], length);
}

void Workbook::writeText(int row, int col, QStringView text, Format format, bool measureIt)
{
    scratch_ = text.toUtf8();
    check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(col), scratch_.constData(), format));
    if (measureIt)
        measure(col, int(text.size()));
}

void Workbook::writeUtf8(int row, int col, std::string_view text, Format format)
{
    // The library wants the terminating zero, which a QByteArray keeps.
    scratch_.resize(qsizetype(text.size()));
    if (!text.empty())
        std::memcpy(scratch_.data(), text.data(), text.size());
    check(worksheet_write_string(sheet_, lxw_row_t(row), lxw_col_t(col), scratch_.constData(), format));
    // Measured in UTF-16 units, as a QString's length: a byte that starts a
    // character counts one, one that starts a character beyond the first plane two.
    int length = 0;
    for (const char ch : text) {
        const auto b = static_cast<unsigned char>(ch);
        length += (b & 0xC0) != 0x80;
        length += b >= 0xF0;
    }
    measure(col, length);
}

void Workbook::writeNumber(int row, int col, double value, Format format, int textLength)
{
    check(worksheet_write_number(sheet_, lxw_row_t(row), lxw_col_t(col), value, format));
    measure(col, textLength);
}

void Workbook::writeDate(int row, int col, const QDateTime& value, Format format, int textLength)
{
    const QDate d = value.date();
    const QTime t = value.time();
    lxw_datetime dt = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second() + t.msec() / 1000.0};
    check(worksheet_write_datetime(sheet_, lxw_row_t(row), lxw_col_t(col), &dt, format));
    measure(col, textLength);
}

void Workbook::fitColumns(const std::map<int, Format>& formats)
{
    const int last = std::max(int(widths_.size()) - 1, formats.empty() ? -1 : formats.rbegin()->first);
    for (int col = 0; col <= last; ++col) {
        const int length = col < int(widths_.size()) ? widths_[std::size_t(col)] : -1;
        const auto f = formats.find(col);
        if (length < 0 && f == formats.end())
            continue;
        const double width = length < 0 ? LXW_DEF_COL_WIDTH : std::min(MaxWidth, length + 1);
        check(worksheet_set_column(sheet_, lxw_col_t(col), lxw_col_t(col), width,
                                   f == formats.end() ? nullptr : f->second));
    }
}

void Workbook::close()
{
    // A close that fails frees the workbook but leaves the sheets' temporary
    // files open: they are known by their descriptor and file, and closed
    // here when still open on the same (deleted) file.
    struct Held {
        int fd;
        dev_t device;
        ino_t inode;
    };
    std::vector<Held> held;
    for (lxw_worksheet* sheet : sheets_) {
        struct stat st {};
        if (sheet->optimize_tmpfile && ::fstat(fileno(sheet->optimize_tmpfile), &st) == 0)
            held.push_back({fileno(sheet->optimize_tmpfile), st.st_dev, st.st_ino});
    }
    lxw_workbook* book = book_;
    book_ = nullptr; // the library frees it whatever the answer
    sheets_.clear();
    const int error = workbook_close(book);
    if (error != LXW_NO_ERROR)
        for (const Held& h : held) {
            struct stat st {};
            if (::fstat(h.fd, &st) == 0 && st.st_dev == h.device && st.st_ino == h.inode && st.st_nlink == 0)
                ::close(h.fd);
        }
    check(error);
}

} // namespace xlsx
