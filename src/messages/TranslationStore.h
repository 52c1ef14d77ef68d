#pragma once
// The three things text translation asks of the translation database. The
// message object reaches the database through the data-access object it was
// given (clsDO); tests may give it a store of their own.
#include "core/Collection.h"

#include <QString>
#include <memory>

class clsDO;

class TranslationStore {
public:
    virtual ~TranslationStore() = default;
    // A SELECT in the keyed collection form, records keyed "#" and the first
    // column's value; null when no row matches. Failures are raised.
    virtual CollectionPtr queryCollection(const QString& sql) = 0;
    // The number of columns of a table of the translation database.
    virtual int columnCount(const QString& table) = 0;
    // Runs an INSERT; false when the database could not be reached.
    virtual bool execute(const QString& sql) = 0;
};

// The store over a data-access object.
std::shared_ptr<TranslationStore> makeTranslationStore(std::shared_ptr<clsDO> dataAccess);
