#include "ResultSet.h"

#include "core/Error.h"
#include "core/ValueText.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace db {

namespace {
constexpr std::size_t ChunkSize = std::size_t(1) << 20;

// Arena reference: chunk index in the high 24 bits, then the offset in the
// chunk (20 bits: no chunk takes a value beyond its first megabyte) and the
// length (20 bits). A value of LongLength bytes or more has its length written
// before it in the arena instead.
constexpr int LengthBits = 20;
constexpr int OffsetShift = 20;
constexpr int ChunkShift = 40;
constexpr std::uint64_t FieldMask = (std::uint64_t(1) << 20) - 1;
constexpr std::size_t LongLength = FieldMask;

// A DateText payload: milliseconds since the epoch times 16, plus the form
// (bits 0-2: date only, hh:mm, hh:mm:ss, then 1-3 digits of a second; bit 3: "T").
constexpr int FormBits = 4;

void civilFromDays(std::int64_t z, int& y, int& m, int& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(std::int64_t(yoe) + era * 400 + (m <= 2));
}

// The form of a date text that its parts and form give back exactly.
bool dateForm(std::string_view s, const IsoDate& d, std::uint64_t& payload)
{
    int form;
    switch (s.size()) {
    case 10: form = 0; break;
    case 16: form = 1; break;
    case 19: form = 2; break;
    case 21: case 22: case 23: form = int(s.size()) - 18; break;
    default: return false;
    }
    if (s.size() > 10 && s[10] == 'T')
        form |= 8;
    const std::int64_t ms = daysFromCivil(d.year, unsigned(d.month), unsigned(d.day)) * 86400000
        + std::int64_t(d.hour) * 3600000 + d.minute * 60000 + d.second * 1000 + d.msec;
    payload = std::uint64_t(ms * (1 << FormBits) + form);
    return true;
}

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

std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + std::int64_t(doe) - 719468;
}

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
    const std::uint64_t p = payload(row, col);
    const unsigned char* at =
        reinterpret_cast<const unsigned char*>(chunks_[std::size_t(p >> ChunkShift)].get()) + ((p >> OffsetShift) & FieldMask);
    std::size_t len = std::size_t(p & FieldMask);
    if (len == LongLength)
        len = readVarint(at);
    return std::string_view(reinterpret_cast<const char*>(at), len);
}

IsoDate ResultSet::isoDate(qint64 row, int col) const
{
    const std::int64_t ms = std::int64_t(payload(row, col)) >> FormBits;
    std::int64_t days = ms / 86400000, inDay = ms % 86400000;
    if (inDay < 0) {
        inDay += 86400000;
        --days;
    }
    IsoDate d;
    civilFromDays(days, d.year, d.month, d.day);
    d.hour = int(inDay / 3600000);
    d.minute = int(inDay / 60000 % 60);
    d.second = int(inDay / 1000 % 60);
    d.msec = int(inDay % 1000);
    return d;
}

std::size_t ResultSet::dateText(qint64 row, int col, char* out) const
{
    const int form = int(payload(row, col) & ((1 << FormBits) - 1));
    const IsoDate d = isoDate(row, col);
    char* p = out;
    const auto put = [&p](int v, int digits) {
        for (int i = digits - 1; i >= 0; --i, v /= 10)
            p[i] = char('0' + v % 10);
        p += digits;
    };
    put(d.year, 4);
    *p++ = '-';
    put(d.month, 2);
    *p++ = '-';
    put(d.day, 2);
    const int parts = form & 7;
    if (parts >= 1) {
        *p++ = form & 8 ? 'T' : ' ';
        put(d.hour, 2);
        *p++ = ':';
        put(d.minute, 2);
    }
    if (parts >= 2) {
        *p++ = ':';
        put(d.second, 2);
    }
    if (parts >= 3) {
        *p++ = '.';
        const int digits = parts - 2;
        put(d.msec / (digits == 1 ? 100 : digits == 2 ? 10 : 1), digits);
    }
    return std::size_t(p - out);
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
        if (isDateType(type)) {
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
    case DateText: {
        if (isDateType(type))
            return Variant(fromMs(std::int64_t(payload(row, col)) >> FormBits));
        char text[32];
        return Variant(QString::fromLatin1(text, qsizetype(dateText(row, col, text))));
    }
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
        if (!isDateType(type) && type != adNumeric && type != adDecimal) {
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
        if (type != adBoolean && type != adCurrency && !isDateType(type)) {
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

// Layout: rows, columns and chunk count (8 bytes each), each chunk's length
// (8 bytes), the payloads and tags of every row, the chunks' bytes. Text
// references keep their chunk numbers, so the chunks come back as they were.
bool ResultSet::toBytes(QByteArray& out) const
{
    if (!others_.empty())
        return false;
    const std::size_t cols = fields.size();
    const std::size_t cells = std::size_t(rows_) * cols;
    std::vector<std::uint64_t> head{std::uint64_t(rows_), cols, chunks_.size()};
    for (std::size_t i = 0; i < chunks_.size(); ++i)
        head.push_back(i + 1 == chunks_.size() ? lastChunkUsed_ : chunkSizes_[i]);
    std::size_t arena = 0;
    for (std::size_t i = 3; i < head.size(); ++i)
        arena += head[i];
    out.resize(qsizetype(head.size() * 8 + cells * 9 + arena));
    char* at = out.data();
    const auto put = [&at](const void* data, std::size_t len) {
        if (len)
            std::memcpy(at, data, len);
        at += len;
    };
    put(head.data(), head.size() * 8);
    const std::size_t blockRows = std::size_t(1) << BlockShift;
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const std::size_t n = std::min(blockRows, std::size_t(rows_) - b * blockRows) * cols;
        put(blocks_[b].payload.get(), n * 8);
    }
    for (std::size_t b = 0; b < blocks_.size(); ++b) {
        const std::size_t n = std::min(blockRows, std::size_t(rows_) - b * blockRows) * cols;
        put(blocks_[b].tags.get(), n);
    }
    for (std::size_t i = 0; i < chunks_.size(); ++i)
        put(chunks_[i].get(), head[3 + i]);
    return true;
}

std::shared_ptr<ResultSet> ResultSet::fromBytes(const QByteArray& bytes, std::vector<FieldInfo> fields)
{
    const char* at = bytes.constData();
    const char* const end = at + bytes.size();
    const auto take = [&](void* data, std::size_t len) {
        if (std::size_t(end - at) < len)
            return false;
        if (len)
            std::memcpy(data, at, len);
        at += len;
        return true;
    };
    std::uint64_t head[3];
    if (!take(head, sizeof head) || head[1] != fields.size() || head[2] > (std::uint64_t(1) << 24))
        return nullptr;
    auto rs = std::make_shared<ResultSet>();
    rs->fields = std::move(fields);
    rs->rows_ = qint64(head[0]);
    std::vector<std::uint64_t> sizes(head[2]);
    if (!take(sizes.data(), sizes.size() * 8))
        return nullptr;
    const std::size_t cols = std::max<std::size_t>(head[1], 1);
    const std::size_t blockRows = std::size_t(1) << BlockShift;
    const std::size_t rows = std::size_t(head[0]);
    if (rows > std::size_t(end - at))
        return nullptr;
    rs->firstCapacity_ = std::min(rows, blockRows);
    for (std::size_t first = 0; first < rows; first += blockRows) {
        const std::size_t cap = std::min(blockRows, rows - first) * cols;
        Block b;
        b.payload.reset(new std::uint64_t[cap]);
        b.tags.reset(new std::uint8_t[cap]());
        rs->blocks_.push_back(std::move(b));
    }
    for (std::size_t b = 0; b < rs->blocks_.size(); ++b)
        if (!take(rs->blocks_[b].payload.get(), std::min(blockRows, rows - b * blockRows) * head[1] * 8))
            return nullptr;
    for (std::size_t b = 0; b < rs->blocks_.size(); ++b)
        if (!take(rs->blocks_[b].tags.get(), std::min(blockRows, rows - b * blockRows) * head[1]))
            return nullptr;
    for (std::uint64_t size : sizes) {
        rs->chunks_.emplace_back(new char[std::max<std::uint64_t>(size, 1)]);
        rs->chunkSizes_.push_back(std::size_t(size));
        if (!take(rs->chunks_.back().get(), std::size_t(size)))
            return nullptr;
    }
    rs->lastChunkUsed_ = sizes.empty() ? 0 : std::size_t(sizes.back());
    return at == end ? rs : nullptr;
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
    const std::size_t need = len >= LongLength ? len + 10 : len;
    // Offsets stay within a chunk's first megabyte (a longer chunk holds one value).
    if (rs_.chunks_.empty() || chunkUsed_ + need > chunkCap_ || chunkUsed_ > FieldMask) {
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
    const std::uint64_t ref = (std::uint64_t(chunk) << ChunkShift) | (std::uint64_t(chunkUsed_) << OffsetShift)
        | std::min<std::uint64_t>(len, LongLength);
    const int n = len >= LongLength ? writeVarint(p, len) : 0;
    if (len)
        std::memcpy(p + n, data, len);
    chunkUsed_ += std::size_t(n) + len;
    rs_.lastChunkUsed_ = chunkUsed_;
    return ref;
}

void ResultBuilder::addText(const char* utf8, std::size_t len)
{
    // The local engine's dates are text: kept as the 8 bytes of a number, their text exactly as it was.
    if (std::size_t(col_) < rs_.fields.size() && isDateType(rs_.fields[std::size_t(col_)].type) && len >= 10 && len <= 23) {
        IsoDate d;
        std::uint64_t code;
        if (readIsoDate(std::string_view(utf8, len), d) && dateForm(std::string_view(utf8, len), d, code)) {
            *slot(ResultSet::DateText) = code;
            return;
        }
    }
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
