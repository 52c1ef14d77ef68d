#include "ResultSet.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace db {

namespace {
constexpr std::size_t ChunkSize = std::size_t(1) << 20;

// Arena reference: chunk index in the high 24 bits, offset in the low 40.
constexpr int OffsetBits = 40;

inline std::size_t readVarint(const unsigned char*& p)
{
    std::size_t v = 0;
    int shift = 0;
    for (;;) {
        unsigned char b = *p++;
        v |= std::size_t(b & 0x7f) << shift;
        if (!(b & 0x80))
            return v;
        shift += 7;
    }
}

inline int writeVarint(unsigned char* p, std::size_t v)
{
    int n = 0;
    while (v >= 0x80) {
        p[n++] = (unsigned char)(v | 0x80);
        v >>= 7;
    }
    p[n++] = (unsigned char)v;
    return n;
}

QDateTime fromMs(std::int64_t ms)
{
    return QDateTime::fromMSecsSinceEpoch(ms, Qt::UTC);
}

bool parseIsoDate(std::string_view s, QDateTime& out)
{
    IsoDate p;
    if (!readIsoDate(s, p))
        return false;
    out = QDateTime(QDate(p.year, p.month, p.day), QTime(p.hour, p.minute, p.second, p.msec), Qt::UTC);
    return true;
}
} // namespace

bool readIsoDate(std::string_view s, IsoDate& out)
{
    auto digits = [&](std::size_t at, int n, int& v) {
        if (at + n > s.size())
            return false;
        v = 0;
        for (int i = 0; i < n; ++i) {
            char c = s[at + i];
            if (c < '0' || c > '9')
                return false;
            v = v * 10 + (c - '0');
        }
        return true;
    };
    int y, mo, d, h = 0, mi = 0, sec = 0, ms = 0;
    if (s.size() < 10 || !digits(0, 4, y) || s[4] != '-' || !digits(5, 2, mo) || s[7] != '-' || !digits(8, 2, d))
        return false;
    std::size_t p = 10;
    if (p < s.size()) {
        if ((s[p] != ' ' && s[p] != 'T') || !digits(p + 1, 2, h) || p + 3 >= s.size() || s[p + 3] != ':'
            || !digits(p + 4, 2, mi))
            return false;
        p += 6;
        if (p < s.size()) {
            if (s[p] != ':' || !digits(p + 1, 2, sec))
                return false;
            p += 3;
            if (p < s.size()) {
                if (s[p] != '.')
                    return false;
                int n = 0;
                ++p;
                ms = 0;
                while (p < s.size() && s[p] >= '0' && s[p] <= '9') {
                    if (n < 3) {
                        ms = ms * 10 + (s[p] - '0');
                        ++n;
                    }
                    ++p;
                }
                while (n > 0 && n < 3) {
                    ms *= 10;
                    ++n;
                }
                if (p != s.size())
                    return false;
            }
        }
    }
    if (!QDate::isValid(y, mo, d) || !QTime::isValid(h, mi, sec, ms))
        return false;
    out = IsoDate{y, mo, d, h, mi, sec, ms};
    return true;
}

std::int64_t ResultSet::intValue(qint64 row, int col) const
{
    return std::int64_t(payload(row, col));
}

double ResultSet::realValue(qint64 row, int col) const
{
    double d;
    std::uint64_t p = payload(row, col);
    std::memcpy(&d, &p, sizeof d);
    return d;
}

std::string_view ResultSet::bytes(qint64 row, int col) const
{
    std::uint64_t p = payload(row, col);
    const unsigned char* at =
        reinterpret_cast<const unsigned char*>(chunks_[std::size_t(p >> OffsetBits)].get()) + (p & ((std::uint64_t(1) << OffsetBits) - 1));
    std::size_t len = readVarint(at);
    return std::string_view(reinterpret_cast<const char*>(at), len);
}

Variant ResultSet::value(qint64 row, int col) const
{
    const int type = fields[std::size_t(col)].type;
    switch (tag(row, col)) {
    case Null:
        return Variant::null();
    case Int: {
        std::int64_t v = intValue(row, col);
        switch (type) {
        case adBoolean:
            return Variant(v != 0);
        case adUnsignedTinyInt:
        case adTinyInt:
            if (v >= 0 && v <= 255)
                return Variant(std::uint8_t(v));
            break;
        case adSmallInt:
            if (v >= std::numeric_limits<std::int16_t>::min() && v <= std::numeric_limits<std::int16_t>::max())
                return Variant(std::int16_t(v));
            break;
        case adCurrency:
            if (v > std::numeric_limits<std::int64_t>::min() / Currency::Scale
                && v < std::numeric_limits<std::int64_t>::max() / Currency::Scale)
                return Variant(Currency::fromScaled(v * Currency::Scale));
            break;
        case adSingle:
            return Variant(float(v));
        case adDouble:
        case adNumeric:
        case adDecimal:
            return Variant(double(v));
        case adDate:
        case adDBTimeStamp:
        case adDBDate:
            return Variant(dateFromSerial(double(v)));
        case adBigInt:
            return Variant(std::int64_t(v));
        default:
            break;
        }
        if (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max())
            return Variant(std::int32_t(v));
        return Variant(std::int64_t(v));
    }
    case Real: {
        double d = realValue(row, col);
        switch (type) {
        case adSingle:
            return Variant(float(d));
        case adCurrency:
            try {
                return Variant(Currency::fromDouble(d));
            } catch (const Error&) {
                return Variant(d);
            }
        case adDate:
        case adDBTimeStamp:
        case adDBDate:
            return Variant(dateFromSerial(d));
        default:
            return Variant(d);
        }
    }
    case Text: {
        std::string_view s = bytes(row, col);
        if (type == adDate || type == adDBTimeStamp || type == adDBDate) {
            QDateTime dt;
            if (parseIsoDate(s, dt))
                return Variant(dt);
        } else if (type == adNumeric || type == adDecimal) {
            // Exact decimals that Currency cannot hold are kept as their digits.
            if (auto d = Decimal::parse(s))
                return Variant(*d);
        }
        return Variant(QString::fromUtf8(s.data(), qsizetype(s.size())));
    }
    case Blob: {
        std::string_view s = bytes(row, col);
        // Binary values travel as a byte array of 0..255 values, as the runtime's Byte arrays.
        auto arr = std::make_shared<VArray>(0, int(s.size()) - 1);
        for (std::size_t i = 0; i < s.size(); ++i)
            arr->at(int(i)) = Variant(std::uint8_t(s[i]));
        return Variant(arr);
    }
    case Bool:
        return Variant(intValue(row, col) != 0);
    case Date:
        return Variant(fromMs(intValue(row, col)));
    case Cur:
        return Variant(Currency::fromScaled(intValue(row, col)));
    case Other:
        return others_[std::size_t(payload(row, col))];
    }
    return Variant::null();
}

void ResultSet::appendText(QString& out, qint64 row, int col, const QString& nullText) const
{
    switch (tag(row, col)) {
    case Null:
        out += nullText;
        return;
    case Text: {
        const int type = fields[std::size_t(col)].type;
        if (type != adDate && type != adDBTimeStamp && type != adDBDate && type != adNumeric && type != adDecimal) {
            std::string_view s = bytes(row, col);
            bool ascii = true;
            for (char ch : s)
                if (static_cast<unsigned char>(ch) >= 0x80) {
                    ascii = false;
                    break;
                }
            if (ascii)
                out += QLatin1String(s.data(), qsizetype(s.size()));
            else
                out += QString::fromUtf8(s.data(), qsizetype(s.size()));
            return;
        }
        break;
    }
    case Int: {
        const int type = fields[std::size_t(col)].type;
        if (type != adBoolean && type != adCurrency && type != adDate && type != adDBTimeStamp && type != adDBDate) {
            out += QString::number(intValue(row, col));
            return;
        }
        break;
    }
    default:
        break;
    }
    out += ValueText::displayText(value(row, col));
}

std::size_t ResultSet::arenaBytes() const
{
    std::size_t n = 0;
    for (auto s : chunkSizes_)
        n += s;
    return n;
}

std::size_t ResultSet::memoryUsed() const
{
    const std::size_t blockRows = std::size_t(1) << BlockShift;
    std::size_t n = blocks_.empty() ? 0 : (firstCapacity_ + (blocks_.size() - 1) * blockRows) * fields.size() * 9;
    for (auto s : chunkSizes_)
        n += s;
    n += others_.size() * sizeof(Variant);
    return n;
}

// ---- builder ---------------------------------------------------------------

ResultBuilder::ResultBuilder(ResultSet& rs) : rs_(rs) {}

void ResultBuilder::beginRow()
{
    const std::size_t cols = rs_.fields.size() ? rs_.fields.size() : 1;
    constexpr std::size_t BlockRows = std::size_t(1) << ResultSet::BlockShift;
    const std::size_t row = std::size_t(rs_.rows_);
    if (row < BlockRows) {
        // Small results stay small: the first block grows 16, 64, 256 ... rows.
        if (row == rs_.firstCapacity_) {
            const std::size_t cap = row == 0 ? 16 : std::min(BlockRows, row * 4);
            ResultSet::Block b;
            b.payload.reset(new std::uint64_t[cap * cols]);
            b.tags.reset(new std::uint8_t[cap * cols]());
            if (row > 0) {
                std::memcpy(b.payload.get(), rs_.blocks_[0].payload.get(), row * cols * sizeof(std::uint64_t));
                std::memcpy(b.tags.get(), rs_.blocks_[0].tags.get(), row * cols);
                rs_.blocks_[0] = std::move(b);
            } else {
                rs_.blocks_.push_back(std::move(b));
            }
            rs_.firstCapacity_ = cap;
        }
    } else if ((row & (BlockRows - 1)) == 0) {
        ResultSet::Block b;
        b.payload.reset(new std::uint64_t[BlockRows * cols]);
        b.tags.reset(new std::uint8_t[BlockRows * cols]());
        rs_.blocks_.push_back(std::move(b));
    }
    ++rs_.rows_;
    col_ = 0;
}

std::uint64_t* ResultBuilder::slot(ResultSet::Tag t)
{
    const qint64 row = rs_.rows_ - 1;
    std::size_t c = rs_.cell(row, col_++);
    auto& b = rs_.blocks_[std::size_t(row >> ResultSet::BlockShift)];
    b.tags[c] = t;
    return &b.payload[c];
}

void ResultBuilder::addNull() { *slot(ResultSet::Null) = 0; }
void ResultBuilder::addInt(std::int64_t v) { *slot(ResultSet::Int) = std::uint64_t(v); }
void ResultBuilder::addReal(double v)
{
    std::uint64_t p;
    std::memcpy(&p, &v, sizeof p);
    *slot(ResultSet::Real) = p;
}
void ResultBuilder::addBool(bool v) { *slot(ResultSet::Bool) = v ? 1 : 0; }
void ResultBuilder::addDateMs(std::int64_t ms) { *slot(ResultSet::Date) = std::uint64_t(ms); }
void ResultBuilder::addDate(const QDateTime& d) { addDateMs(d.toMSecsSinceEpoch()); }
void ResultBuilder::addCurrency(std::int64_t scaled) { *slot(ResultSet::Cur) = std::uint64_t(scaled); }

std::uint64_t ResultBuilder::storeBytes(const void* data, std::size_t len)
{
    const std::size_t need = len + 10;
    if (rs_.chunks_.empty() || chunkUsed_ + need > chunkCap_) {
        // Trim the last chunk's accounting to what it holds; big values get a chunk of their own.
        if (!rs_.chunkSizes_.empty())
            rs_.chunkSizes_.back() = chunkUsed_;
        // Chunks double from 4 KB up to 1 MB, so a small result takes little room.
        const std::size_t next = chunkCap_ == 0 ? 4096 : std::min(ChunkSize, chunkCap_ * 2);
        chunkCap_ = need > next ? need : next;
        rs_.chunks_.emplace_back(new char[chunkCap_]);
        rs_.chunkSizes_.push_back(chunkCap_);
        chunkUsed_ = 0;
    }
    const std::size_t chunk = rs_.chunks_.size() - 1;
    unsigned char* p = reinterpret_cast<unsigned char*>(rs_.chunks_.back().get()) + chunkUsed_;
    const std::uint64_t ref = (std::uint64_t(chunk) << OffsetBits) | chunkUsed_;
    int n = writeVarint(p, len);
    if (len)
        std::memcpy(p + n, data, len);
    chunkUsed_ += std::size_t(n) + len;
    return ref;
}

void ResultBuilder::addText(const char* utf8, std::size_t len)
{
    std::uint64_t ref = storeBytes(utf8, len);
    *slot(ResultSet::Text) = ref;
}

void ResultBuilder::addText(const QString& s)
{
    QByteArray u = s.toUtf8();
    addText(u.constData(), std::size_t(u.size()));
}

void ResultBuilder::addBlob(const void* data, std::size_t len)
{
    std::uint64_t ref = storeBytes(data, len);
    *slot(ResultSet::Blob) = ref;
}

void ResultBuilder::addVariant(const Variant& v)
{
    switch (v.type()) {
    case VarType::Empty:
    case VarType::Null:
        addNull();
        return;
    case VarType::Boolean:
        addBool(v.toBool());
        return;
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong:
        addInt(v.toLongLong());
        return;
    case VarType::Single:
    case VarType::Double:
        addReal(v.toDouble());
        return;
    case VarType::Currency:
        addCurrency(v.toCurrency().scaled);
        return;
    case VarType::Date:
        addDate(v.toDate());
        return;
    case VarType::String:
        addText(v.toString());
        return;
    default:
        rs_.others_.push_back(v);
        *slot(ResultSet::Other) = rs_.others_.size() - 1;
        return;
    }
}

void ResultBuilder::addRow(const ResultSet& from, qint64 row)
{
    beginRow();
    for (int c = 0; c < from.columnCount(); ++c) {
        const ResultSet::Tag t = from.tag(row, c);
        switch (t) {
        case ResultSet::Text:
        case ResultSet::Blob: {
            const std::string_view b = from.bytes(row, c);
            *slot(t) = storeBytes(b.data(), b.size());
            break;
        }
        case ResultSet::Other:
            rs_.others_.push_back(from.others_[std::size_t(from.payload(row, c))]);
            *slot(t) = rs_.others_.size() - 1;
            break;
        default:
            *slot(t) = from.payload(row, c);
            break;
        }
    }
}

} // namespace db
