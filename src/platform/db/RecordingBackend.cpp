#include "RecordingBackend.h"

#include "core/Error.h"

#include <QMutexLocker>

namespace db {

namespace {
QMutex installMutex;
std::weak_ptr<RecordingBackend>& slot()
{
    static std::weak_ptr<RecordingBackend> s;
    return s;
}

int typeOf(const Variant& v)
{
    switch (v.type()) {
    case VarType::Boolean: return adBoolean;
    case VarType::Byte: return adUnsignedTinyInt;
    case VarType::Integer: return adSmallInt;
    case VarType::Long: return adInteger;
    case VarType::LongLong: return adBigInt;
    case VarType::Single: return adSingle;
    case VarType::Double: return adDouble;
    case VarType::Currency: return adCurrency;
    case VarType::Decimal: return adDecimal;
    case VarType::Date: return adDate;
    default: return adVarWChar;
    }
}

ResultSetPtr toResult(const RecordingBackend::Answer& a)
{
    auto rs = std::make_shared<ResultSet>();
    rs->fields = a.fields;
    rs->rowsAffected = a.rowsAffected;
    if (!rs->fields.empty()) {
        ResultBuilder b(*rs);
        for (const auto& row : a.rows) {
            b.beginRow();
            for (std::size_t c = 0; c < rs->fields.size(); ++c)
                b.addVariant(c < row.size() ? row[c] : Variant::null());
        }
    }
    return rs;
}

class RecordingConnection : public BackendConnection {
public:
    explicit RecordingConnection(std::shared_ptr<RecordingBackend> rec) : rec_(std::move(rec)) {}
    ~RecordingConnection() override { rec_->record(RecordingBackend::EventKind::Close, QString()); }
    QString provider() const override { return rec_->provider(); }
    std::vector<ResultSetPtr> run(const QString& sql, CommandType) override
    {
        rec_->record(RecordingBackend::EventKind::Run, sql);
        RecordingBackend::Answer a = rec_->find(sql);
        if (a.error)
            throw *a.error;
        std::vector<ResultSetPtr> out{toResult(a)};
        for (const auto& m : a.more)
            out.push_back(toResult(m));
        return out;
    }
    ResultSetPtr describeColumns(const QString& sql) override
    {
        rec_->record(RecordingBackend::EventKind::Describe, sql);
        RecordingBackend::Answer a = rec_->find(sql);
        if (a.error)
            throw *a.error;
        a.rows.clear();
        return toResult(a);
    }
    void beginTrans() override { rec_->record(RecordingBackend::EventKind::Begin, QString()); }
    void commitTrans() override { rec_->record(RecordingBackend::EventKind::Commit, QString()); }
    void rollbackTrans() override { rec_->record(RecordingBackend::EventKind::Rollback, QString()); }
    std::vector<TableInfo> tables() override
    {
        auto t = rec_->tables();
        for (auto& x : t) {
            x.columns.clear();
            x.indexes.clear();
        }
        return t;
    }
    TableInfo table(const QString& name) override
    {
        for (const auto& t : rec_->tables())
            if (t.name.compare(name, Qt::CaseInsensitive) == 0)
                return t;
        raise(errItemNotFound,
              QStringLiteral("No se encuentra el elemento en la colección que corresponde al nombre o al ordinal solicitado."),
              QStringLiteral("ADOX.Tables"));
    }
    std::vector<ViewInfo> views() override { return rec_->views(); }

private:
    std::shared_ptr<RecordingBackend> rec_;
};
} // namespace

RecordingBackend::Answer RecordingBackend::Answer::affected(qint64 n)
{
    Answer a;
    a.rowsAffected = n;
    return a;
}

RecordingBackend::Answer RecordingBackend::Answer::failure(long number, const QString& description)
{
    Answer a;
    a.error = Error(number, description, QStringLiteral("Recorder"));
    return a;
}

RecordingBackend::Answer RecordingBackend::Answer::table(const QStringList& names, std::vector<std::vector<Variant>> rows)
{
    Answer a;
    for (int c = 0; c < names.size(); ++c) {
        FieldInfo f;
        f.name = names[c];
        f.type = adVarWChar;
        for (const auto& r : rows)
            if (std::size_t(c) < r.size() && !r[std::size_t(c)].isNull() && !r[std::size_t(c)].isEmpty()) {
                f.type = typeOf(r[std::size_t(c)]);
                break;
            }
        a.fields.push_back(f);
    }
    a.rows = std::move(rows);
    a.rowsAffected = -1;
    return a;
}

std::shared_ptr<RecordingBackend> RecordingBackend::install()
{
    auto rec = std::make_shared<RecordingBackend>();
    QMutexLocker lock(&installMutex);
    slot() = rec;
    return rec;
}

void RecordingBackend::uninstall()
{
    QMutexLocker lock(&installMutex);
    slot().reset();
}

std::shared_ptr<RecordingBackend> RecordingBackend::installed()
{
    QMutexLocker lock(&installMutex);
    return slot().lock();
}

void RecordingBackend::answer(const QString& exactSql, Answer a)
{
    QMutexLocker lock(&mutex_);
    exact_.emplace_back(exactSql, std::move(a));
}

void RecordingBackend::answerRows(const QString& exactSql, const QStringList& names, std::vector<std::vector<Variant>> rows)
{
    answer(exactSql, Answer::table(names, std::move(rows)));
}

void RecordingBackend::answerAffected(const QString& exactSql, qint64 n) { answer(exactSql, Answer::affected(n)); }

void RecordingBackend::answerError(const QString& exactSql, long number, const QString& description)
{
    answer(exactSql, Answer::failure(number, description));
}

void RecordingBackend::answerRegex(const QString& pattern, Answer a)
{
    QMutexLocker lock(&mutex_);
    patterns_.emplace_back(QRegularExpression(pattern), std::move(a));
}

void RecordingBackend::setDefaultAnswer(Answer a)
{
    QMutexLocker lock(&mutex_);
    default_ = std::move(a);
}

void RecordingBackend::failOpen(const QString& pattern, const QString& description)
{
    QMutexLocker lock(&mutex_);
    openFailures_.emplace_back(QRegularExpression(pattern), description);
}

void RecordingBackend::setTables(std::vector<TableInfo> tables)
{
    QMutexLocker lock(&mutex_);
    tables_ = std::move(tables);
}

void RecordingBackend::setViews(std::vector<ViewInfo> views)
{
    QMutexLocker lock(&mutex_);
    views_ = std::move(views);
}

QStringList RecordingBackend::connectionStrings() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    for (const auto& e : events_)
        if (e.kind == EventKind::Open)
            out << e.text;
    return out;
}

QStringList RecordingBackend::described() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    for (const auto& e : events_)
        if (e.kind == EventKind::Describe)
            out << e.text;
    return out;
}

QStringList RecordingBackend::statements() const
{
    QMutexLocker lock(&mutex_);
    QStringList out;
    for (const auto& e : events_)
        if (e.kind == EventKind::Run)
            out << e.text;
    return out;
}

std::vector<RecordingBackend::Event> RecordingBackend::events() const
{
    QMutexLocker lock(&mutex_);
    return events_;
}

void RecordingBackend::clearLog()
{
    QMutexLocker lock(&mutex_);
    events_.clear();
}

std::unique_ptr<BackendConnection> RecordingBackend::open(const OpenRequest& request)
{
    const QString cs = request.connectionString.text();
    record(EventKind::Open, cs);
    {
        QMutexLocker lock(&mutex_);
        for (const auto& f : openFailures_)
            if (f.first.match(cs).hasMatch())
                raise(errDatabase, f.second, QStringLiteral("Recorder"));
    }
    return std::make_unique<RecordingConnection>(shared_from_this());
}

RecordingBackend::Answer RecordingBackend::find(const QString& sql) const
{
    QMutexLocker lock(&mutex_);
    for (const auto& e : exact_)
        if (e.first == sql)
            return e.second;
    for (const auto& p : patterns_)
        if (p.first.match(sql).hasMatch())
            return p.second;
    return default_;
}

void RecordingBackend::record(EventKind kind, const QString& text)
{
    QMutexLocker lock(&mutex_);
    events_.push_back({kind, text});
}

std::vector<TableInfo> RecordingBackend::tables() const
{
    QMutexLocker lock(&mutex_);
    return tables_;
}

std::vector<ViewInfo> RecordingBackend::views() const
{
    QMutexLocker lock(&mutex_);
    return views_;
}

} // namespace db
