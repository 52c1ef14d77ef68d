#include "TranslationStore.h"

#include "clsError.h"

#include "data/clsDO.h"

namespace {
class DataAccessStore : public TranslationStore {
public:
    explicit DataAccessStore(std::shared_ptr<clsDO> dataAccess) : do_(std::move(dataAccess)) {}

    CollectionPtr queryCollection(const QString& sql) override
    {
        // The object's stored connection serves: the four connection values stay empty.
        QString statement = sql;
        const Variant rows = dataAccess().Query(statement, QString(), QString(), QString(), QString(),
                                                QStringLiteral("Collection"), Variant(std::int16_t(0)), false);
        return rows.as<Collection>();
    }

    int columnCount(const QString& table) override
    {
        const Variant structure = dataAccess().EstructuraTabla(QStringLiteral("Ejercicio"), table);
        const auto columns = structure.as<Collection>();
        return columns ? columns->Count() : 0;
    }

    bool execute(const QString& sql) override { return dataAccess().Execute(sql); }

private:
    clsDO& dataAccess()
    {
        if (!do_)
            raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"),
                  QStringLiteral("Tevrak.clsError"));
        return *do_;
    }

    std::shared_ptr<clsDO> do_;
};
} // namespace

std::shared_ptr<TranslationStore> makeTranslationStore(std::shared_ptr<clsDO> dataAccess)
{
    return std::make_shared<DataAccessStore>(std::move(dataAccess));
}

void clsError::setNesko(std::shared_ptr<clsDO> nesko)
{
    store_ = nesko ? makeTranslationStore(std::move(nesko)) : nullptr;
}
