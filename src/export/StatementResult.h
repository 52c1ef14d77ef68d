#pragma once
// The record set an export reads: the statement run once through the
// data-access object's "Recordset" form, closed on every path (the object
// keeps a reference to it, and its rows are the largest thing in memory).
#include "data/clsDO.h"
#include "platform/db/Recordset.h"

#include <memory>

class StatementResult {
public:
    StatementResult(clsDO& zolt, QString sql)
    {
        rs_ = zolt.Query(sql, QString(), QString(), QString(), QString(), QStringLiteral("Recordset"))
                  .as<db::Recordset>();
        if (rs_ && !rs_->result())
            rs_.reset();
    }
    ~StatementResult()
    {
        if (rs_)
            rs_->Close();
    }
    StatementResult(const StatementResult&) = delete;
    StatementResult& operator=(const StatementResult&) = delete;

    // False when the connection did not open (the data-access object has said so).
    explicit operator bool() const { return rs_ != nullptr; }
    const db::ResultSet& rows() const { return *rs_->result(); }

private:
    std::shared_ptr<db::Recordset> rs_;
};
