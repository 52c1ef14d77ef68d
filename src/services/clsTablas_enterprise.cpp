// Look-ups in the shared business databases: relation and physical database
// identifiers, tax rates, document crossing, historical servers and the
// server clock; and the maker's menu windows.
#include "clsTablas.h"

#include "OutsideComponents.h"
#include "Rows.h"
#include "core/ValueText.h"
#include "data/clsDO.h"

#include <QLocale>

namespace {

const QString kCollection = QStringLiteral("Collection");

using Rows::required;

// A query on the stored connection, or on the database named.
CollectionPtr query(clsDO& data, const QString& sql, const QString& database = QString())
{
    return Rows::query(data, sql, kCollection, database);
}

// The date as style 103 of CONVERT reads it, whatever the locale writes.
QString sqlDate(const QDateTime& date) { return date.date().toString(QStringLiteral("dd/MM/yyyy")); }

// A money amount with "." as decimal point and no grouping, as SQL reads it.
QString sqlNumber(Currency amount)
{
    QString text = QLocale::c().toString(amount.toDouble(), 'f', 4);
    while (text.endsWith(QLatin1Char('0')))
        text.chop(1);
    if (text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text;
}

std::int32_t documentType(const QString& table, const QString& pairMode)
{
    auto byPair = [&](std::int32_t net, std::int32_t commission, std::int32_t discount) -> std::int32_t {
        if (pairMode == QLatin1String("Net"))
            return net;
        if (pairMode == QLatin1String("Commission"))
            return commission;
        if (pairMode == QLatin1String("Discount"))
            return discount;
        return 0;
    };
    if (table == QLatin1String("Invoice"))
        return byPair(1, 2, 6);
    if (table == QLatin1String("CusNote"))
        return byPair(4, 5, 3);
    if (table == QLatin1String("PurInvoice"))
        return 7;
    if (table == QLatin1String("PurNote"))
        return 8;
    if (table == QLatin1String("Proforma"))
        return 9;
    if (table == QLatin1String("PurCharge"))
        return 10;
    if (table == QLatin1String("Repairs"))
        return 11;
    return 0;
}

QString documentGroup(std::int32_t code)
{
    if (code == 1 || code == 2 || code == 6)
        return QStringLiteral("(1,2,6)");
    if (code == 3 || code == 4 || code == 5)
        return QStringLiteral("(3,4,5)");
    return QLatin1Char('(') + QString::number(code) + QLatin1Char(')');
}

} // namespace

// --- ERP database identifiers

CollectionPtr clsTablas::KandrelQuery(const QString& sql)
{
    auto data = required(GetObjConsulta());
    return Rows::of(data->Query(QString(sql), KandrelServer(), QStringLiteral("kandrel"), QString(), QString(),
                                kCollection));
}

std::int32_t clsTablas::GetRelationID(const QString& TableName)
{
    std::int32_t id = 0;
    trap(
        [&] {
            if (relationCache_ && relationCache_->Count() > 0 && relationCache_->Exists(TableName)) {
                id = relationCache_->Item(Variant(TableName)).toLong();
                return;
            }
            if (!relationCache_ || relationCache_->Count() == 0)
                relationCache_ = newCollection();
            const QString sql = QStringLiteral("SELECT CodeID FROM ") + GetKandrelServerForSQL() +
                                QStringLiteral("Relation WHERE Table1 = ") + SqlText(TableName);
            const auto rows = KandrelQuery(sql);
            const std::int32_t found = Rows::value(Rows::row(rows, 1), 1).toLong();
            relationCache_->Add(Variant(found), TableName);
            id = found;
        },
        [&](const Error&) {
            id = 0;
            ReportError(QStringLiteral("Función GetRelationID"));
        });
    return id;
}

std::int16_t clsTablas::GetPhisicalDataBaseID(const QString& sBaseDatos, std::int16_t iLogicalDataBase)
{
    std::int16_t id = 0;
    trap(
        [&] {
            QString sql = QStringLiteral("SELECT CodeID FROM ") + GetKandrelServerForSQL() +
                          QStringLiteral("DataBases WHERE Name = ") + SqlText(sBaseDatos);
            if (iLogicalDataBase != 0)
                sql += QStringLiteral(" AND LogicalDataBaseID = ") + QString::number(iLogicalDataBase);
            const auto rows = KandrelQuery(sql);
            if (rows)
                id = Rows::value(Rows::row(rows, 1), 1).toInt();
        },
        [&](const Error&) {
            id = 0;
            ReportError(QStringLiteral("Función GetPhisicalDataBaseID"));
        });
    return id;
}

QString clsTablas::GetPhisicalDataBaseIDs(const QString& sBaseDatos)
{
    QString ids;
    trap(
        [&] {
            if (databaseListCache_ && databaseListCache_->Count() > 0 && databaseListCache_->Exists(sBaseDatos)) {
                ids = databaseListCache_->Item(Variant(sBaseDatos)).toString();
                return;
            }
            if (!databaseListCache_ || databaseListCache_->Count() == 0)
                databaseListCache_ = newCollection();
            const QString sql = QStringLiteral("SELECT CodeID FROM ") + GetKandrelServerForSQL() +
                                QStringLiteral("DataBases WHERE Name = ") + SqlText(sBaseDatos) +
                                QStringLiteral(" OR HistoricalDataBaseName = ") + SqlText(sBaseDatos);
            const auto rows = KandrelQuery(sql);
            QString list;
            for (int i = 1; i <= Rows::count(rows); ++i)
                list += ValueText::toText(Rows::value(Rows::row(rows, i), 1)) + QLatin1Char(',');
            if (!list.isEmpty()) {
                list.chop(1);
                databaseListCache_->Add(Variant(list), sBaseDatos);
            }
            ids = list;
        },
        [&](const Error&) {
            ids.clear();
            ReportError(QStringLiteral("Función GetPhisicalDataBaseIDs"));
        });
    return ids;
}

std::int16_t clsTablas::GetPhisicalTargetDataBaseID(std::int16_t iRelationID)
{
    std::int16_t id = 0;
    trap(
        [&] {
            const QString sql = QStringLiteral(" SELECT D.CodeID ") + QStringLiteral(" FROM ") +
                                GetKandrelServerForSQL() + QStringLiteral("DataBases D ") +
                                QStringLiteral(" INNER JOIN ") + GetKandrelServerForSQL() +
                                QStringLiteral("Relation R ON ( D.LogicalDataBaseID = R.DataBase2ID ) ") +
                                QStringLiteral(" WHERE R.CodeID = ") + QString::number(iRelationID);
            const auto rows = KandrelQuery(sql);
            // No row at all is a failure of the look-up, reported below.
            if (Rows::count(rows) > 1) {
                ReportError(QStringLiteral("Existe mas de una base de datos de destino"));
                return;
            }
            id = Rows::value(Rows::row(rows, 1), 1).toInt();
        },
        [&](const Error&) {
            id = 0;
            ReportError(QStringLiteral("Función GetPhisicalTargetDataBaseID"));
        });
    return id;
}

bool clsTablas::ShowMenuWindow(const QString& progId)
{
    auto window = OutsideComponents::create<IMenuWindow>(progId);
    ObjectPtr parent = Parent, data = dataObject_, messages = oError;
    window->StartObject(parent, data, messages, *this, Variant(), true);
    return false;
}

bool clsTablas::ShowEnterprise() { return ShowMenuWindow(QStringLiteral("Pervick.clsEnterprise")); }

bool clsTablas::ShowHistory() { return ShowMenuWindow(QStringLiteral("Pervick.clsHistory")); }

// --- tax rates

Currency clsTablas::GetVATPercent(const std::shared_ptr<clsDO>& objNesko, const QString& sTypeIVA,
                                  const QDateTime& DocDate)
{
    Currency percent;
    trap(
        [&] {
            auto data = required(objNesko);
            const QString sql = QStringLiteral("SELECT VAT FROM VatPercent WHERE CODEID = ") + SqlText(sTypeIVA) +
                                QStringLiteral(" ") + QStringLiteral("AND CONVERT(smalldatetime,'") + sqlDate(DocDate) +
                                QStringLiteral("',103) BETWEEN DateFrom And DateTo ") + QStringLiteral("ORDER BY VAT ");
            // No valid rate at the date is a failure of the look-up, reported below.
            percent = Rows::value(Rows::row(query(*data, sql), 1), 1).toCurrency();
        },
        [&](const Error&) {
            percent = Currency();
            ReportError(QStringLiteral("Función GetVATPercent"));
        });
    return percent;
}

QString clsTablas::GetVATQuery(const QDateTime& DocDate, Currency sTypeIVA)
{
    QString sql = QStringLiteral("SELECT DISTINCT CODEID, VAT FROM VatPercent ") +
                  QStringLiteral(" WHERE CONVERT(smalldatetime,'") + sqlDate(DocDate) +
                  QStringLiteral("',103) BETWEEN DateFrom And DateTo ");
    if (!(sTypeIVA == Currency::fromScaled(-Currency::Scale)))
        sql += QStringLiteral(" UNION SELECT 0, ") + sqlNumber(sTypeIVA) + QStringLiteral(" AS VAT ");
    return sql + QStringLiteral(" ORDER BY VAT ");
}

// --- server clock and historical data

QString clsTablas::GetServerTime()
{
    QString stamp;
    trap(
        [&] {
            auto data = required(dataObject_);
            const auto rows =
                query(*data, QStringLiteral("SELECT TOP 1 GetDate() AS ServerDateTime FROM SORVANE..Enterprise "));
            stamp = Rows::value(Rows::row(rows, 1), 1).toDate().toString(QStringLiteral("yyyyMMddHHmmss"));
        },
        [&](const Error&) {
            stamp.clear();
            ReportError(QStringLiteral("Función GetServerTime"));
        });
    return stamp;
}

QString clsTablas::HistoricalBreakDay()
{
    if (historicalBreakDay_.isEmpty())
        historicalBreakDay_ = ConseguirCampo(QStringLiteral("SORVANE..ProgramEnterprise"),
                                             QStringLiteral("HistoricalBreakDay"), QStringLiteral("EnterpriseID"),
                                             QStringLiteral("1"), false, QString());
    return historicalBreakDay_;
}

QString clsTablas::HistoricValue(std::int32_t& lEnterprise, const QString& column)
{
    if (lEnterprise == 0)
        lEnterprise = EnterpriseID;
    auto data = required(dataObject_);
    const auto rows = Rows::query(*data,
                                  QStringLiteral("SELECT * FROM SORVANE..ProgramEnterprise WHERE ProgramID = "
                                                 "'kpMoravin' AND EnterpriseID = ") +
                                      QString::number(lEnterprise),
                                  kCollection, QString(), Rows::firstTwoColumns());
    if (!rows)
        return QString();
    return ValueText::displayText(
        Rows::value(Rows::row(rows, 1), QStringLiteral("SORVANE..ProgramEnterprise.") + column));
}

QString clsTablas::HistoricServer(std::int32_t& lEnterprise)
{
    return HistoricValue(lEnterprise, QStringLiteral("HistoricalServerName"));
}

QString clsTablas::HistoricServer()
{
    std::int32_t enterprise = 0;
    return HistoricServer(enterprise);
}

QString clsTablas::HistoricDataBase(std::int32_t& lEnterprise)
{
    return HistoricValue(lEnterprise, QStringLiteral("HistoricalDataBase"));
}

QString clsTablas::HistoricDataBase()
{
    std::int32_t enterprise = 0;
    return HistoricDataBase(enterprise);
}

// --- document crossing

QString clsTablas::EnterpriseDataBase(std::int32_t enterprise)
{
    auto data = required(dataObject_);
    const auto rows = query(*data, QStringLiteral("SELECT * FROM Sorvane..ProgramEnterprise WHERE ProgramID = "
                                                  "'kpMoravin' AND EnterpriseID = ") +
                                       QString::number(enterprise));
    return ValueText::displayText(
               Rows::value(Rows::row(rows, 1), QStringLiteral("Sorvane..ProgramEnterprise.DataBaseName")))
        .trimmed();
}

Variant clsTablas::GetCrossingData(const QString& TableDocument, const QString& SerieOrExternalNumber,
                                   std::int32_t InternalNumber, std::int32_t DocumentEnterpriseID,
                                   const QString& PairMode)
{
    auto data = required(dataObject_);
    const QString enterprise = QString::number(DocumentEnterpriseID);
    const QString documentDb =
        DocumentEnterpriseID == EnterpriseID ? data->BaseDatos() : EnterpriseDataBase(DocumentEnterpriseID);
    const std::int32_t code = documentType(TableDocument, PairMode);

    std::int32_t crossingEnterprise = 0;
    QString crossingDb;
    static const QStringList own = {QStringLiteral("Invoice"), QStringLiteral("CusNote"), QStringLiteral("Proforma"),
                                    QStringLiteral("PurCharge"), QStringLiteral("Repairs")};
    if (own.contains(TableDocument)) {
        crossingEnterprise = DocumentEnterpriseID;
        crossingDb = documentDb;
    } else if (TableDocument == QLatin1String("PurInvoice") || TableDocument == QLatin1String("PurNote")) {
        const auto rows = query(*data,
                                QStringLiteral("SELECT ISNULL(CrossingEnterpriseID, ") + enterprise +
                                    QStringLiteral(") AS CrossingEnterpriseID FROM ") + TableDocument +
                                    QStringLiteral(" WHERE InvoiceNumber = ") + QString::number(InternalNumber),
                                documentDb);
        if (Rows::count(rows) > 0)
            crossingEnterprise = Rows::value(Rows::row(rows, 1), 1).toLong();
        if (crossingEnterprise == 0)
            crossingEnterprise = DocumentEnterpriseID;
        crossingDb = crossingEnterprise == DocumentEnterpriseID ? documentDb : EnterpriseDataBase(crossingEnterprise);
    }

    auto search = [&](const QString& db, const QString& typeCondition, const QString& tail) {
        return QStringLiteral("SELECT * FROM ") + db + QStringLiteral("..CrossingDocuments WHERE idDocumentType ") +
               typeCondition + QStringLiteral(" AND idEnterpriseID = ") + enterprise +
               QStringLiteral(" AND SerieOrExternalNumber = ") + SqlText(SerieOrExternalNumber) +
               QStringLiteral(" AND InternalNumber = ") + QString::number(InternalNumber) + tail;
    };
    const QString equalCode = QStringLiteral("= ") + QString::number(code);
    CollectionPtr found = query(
        *data,
        search(crossingDb, equalCode,
               QStringLiteral(" AND idCrossingDocument IN (SELECT idCrossingDocument FROM ") + crossingDb +
                   QStringLiteral("..CrossingDetail)")),
        crossingDb);
    if (Rows::count(found) == 0)
        found = query(*data, search(crossingDb, equalCode, QString()), crossingDb);
    if (Rows::count(found) == 0)
        found = query(*data, search(crossingDb, QStringLiteral("IN ") + documentGroup(code), QString()), crossingDb);

    std::int32_t idCrossing = 0;
    std::int32_t idCrossingDocument = 0;
    auto readIds = [&](const QString& db) {
        const auto first = Rows::row(found, 1);
        idCrossing = Rows::value(first, db + QStringLiteral("..CrossingDocuments.idCrossing")).toLong();
        idCrossingDocument = Rows::value(first, db + QStringLiteral("..CrossingDocuments.idCrossingDocument")).toLong();
    };
    if (Rows::count(found) > 0) {
        readIds(crossingDb);
    } else if (code == 1 || code == 4) {
        const auto customer = std::int32_t(Variant(Blank2Zero(ConseguirCampo(
                                                       TableDocument, QStringLiteral("CustomerCode"),
                                                       QStringLiteral("SerieCode + '#' + CONVERT(varchar, Number)"),
                                                       SerieOrExternalNumber + QLatin1Char('#') +
                                                           QString::number(InternalNumber),
                                                       true, QString())))
                                                   .toLong());
        if (customer != 0) {
            const auto barter = std::int32_t(
                Variant(Blank2Zero(ConseguirCampo(QStringLiteral("BarterDirectCredits"), QStringLiteral("EnterpriseID"),
                                                  QStringLiteral("CustomerID"), QString::number(customer), false,
                                                  QString())))
                    .toLong());
            if (barter != 0) {
                crossingDb = EnterpriseDataBase(barter);
                crossingEnterprise = barter;
                found = query(*data,
                              search(crossingDb, equalCode,
                                     QStringLiteral(" AND idCrossingDocument IN (SELECT idCrossingDocument FROM "
                                                    "CrossingDetail)")),
                              crossingDb);
                if (Rows::count(found) > 0)
                    readIds(crossingDb);
            }
        }
    }

    auto result = std::make_shared<VArray>(0, 4);
    result->at(0) = Variant(code);
    result->at(1) = Variant(crossingEnterprise);
    result->at(2) = Variant(crossingDb);
    result->at(3) = Variant(idCrossing);
    result->at(4) = Variant(idCrossingDocument);
    return Variant(result);
}
