#include "ResultFile.h"

#include "RowReader.h"
#include "core/Error.h"

#include <QDir>
#include <algorithm>

namespace db {

namespace {
constexpr std::size_t CachedBlocks = 4;

[[noreturn]] void unwritable(const QFile& file)
{
    raise(Error::PathNotFound, QStringLiteral("No se ha podido escribir el fichero temporal de la consulta en ") +
                                   QDir::tempPath() + QStringLiteral(": ") + file.errorString());
}
} // namespace

ResultFile::ResultFile(std::vector<FieldInfo> fields)
    : fields_(std::move(fields)), file_(QDir::tempPath() + QStringLiteral("/velmora-rows-XXXXXX"))
{
    if (!file_.open())
        unwritable(file_);
    // Open, it lives on without its name until it is closed.
    QFile::remove(file_.fileName());
    startBlock();
}

ResultFile::~ResultFile() = default;

void ResultFile::setFields(const std::vector<FieldInfo>& fields)
{
    fields_ = fields;
    filling_->fields = fields;
    for (auto& [index, block] : cache_)
        block->fields = fields;
}

void ResultFile::startBlock()
{
    filling_ = std::make_shared<ResultSet>();
    filling_->fields = fields_;
    builder_ = std::make_unique<ResultBuilder>(*filling_);
}

void ResultFile::storeBlock()
{
    Stored s;
    QByteArray bytes;
    if (filling_->toBytes(bytes)) {
        if (!file_.seek(written_) || file_.write(bytes) != bytes.size())
            unwritable(file_);
        s.offset = written_;
        s.size = bytes.size();
        written_ += s.size;
    } else {
        s.held = filling_;
    }
    stored_.push_back(std::move(s));
    startBlock();
}

void ResultFile::append(const ResultSet& from, qint64 first, qint64 count)
{
    for (qint64 r = first; r < first + count; ++r) {
        builder_->addRow(from, r);
        ++rows_;
        if (filling_->rowCount() == BlockRows)
            storeBlock();
    }
}

qint64 ResultFile::read(RowReader& reader, qint64 rows)
{
    qint64 done = 0;
    while (done < rows) {
        const qint64 want = std::min(rows - done, BlockRows - filling_->rowCount());
        const qint64 n = reader.read(*builder_, want);
        done += n;
        rows_ += n;
        if (filling_->rowCount() == BlockRows)
            storeBlock();
        if (n < want)
            break;
    }
    return done;
}

void ResultFile::readAll(RowReader& reader)
{
    while (read(reader, BlockRows) > 0) {
    }
    setFields(reader.fields());
}

ResultSetPtr ResultFile::load(std::size_t block)
{
    const Stored& s = stored_[block];
    if (s.held)
        return s.held;
    const auto hit = std::find_if(cache_.begin(), cache_.end(), [block](const auto& c) { return c.first == block; });
    if (hit != cache_.end()) {
        std::rotate(cache_.begin(), hit, hit + 1);
        return cache_.front().second;
    }
    if (!file_.flush() || !file_.seek(s.offset))
        unwritable(file_);
    const QByteArray bytes = file_.read(s.size);
    ResultSetPtr rows = bytes.size() == s.size ? ResultSet::fromBytes(bytes, fields_) : nullptr;
    if (!rows)
        raise(Error::PathNotFound, QStringLiteral("No se ha podido leer el fichero temporal de la consulta: ") +
                                       file_.errorString());
    cache_.insert(cache_.begin(), {block, rows});
    if (cache_.size() > CachedBlocks)
        cache_.pop_back();
    return rows;
}

std::pair<std::shared_ptr<const ResultSet>, qint64> ResultFile::locate(qint64 row)
{
    if (row < 0 || row >= rows_)
        raise(errNoCurrentRecord, QStringLiteral("El registro %1 no existe.").arg(row + 1));
    const std::size_t block = std::size_t(row / BlockRows);
    const qint64 at = row % BlockRows;
    if (block == stored_.size())
        return {filling_, at};
    return {load(block), at};
}

} // namespace db
