// Text translation: the language in use, its cache, and the look-up and
// registration of texts in the translation database.
#include "clsError.h"

#include "TranslationStore.h"
#include "TranslationText.h"

#include "core/ValueText.h"

namespace {
const QString kOriginal = QStringLiteral("ORIGINAL");

using TranslationText::quoteDoubled;

// The text a language name stands for in SQL, or "" when it is none of the
// names the translation database has.
QString languageColumn(const QString& name)
{
    if (name.compare(QStringLiteral("Original"), Qt::CaseInsensitive) == 0)
        return QStringLiteral("Original");
    for (int i = 1; i <= 5; ++i) {
        const QString column = QStringLiteral("Language%1").arg(i);
        if (name.compare(column, Qt::CaseInsensitive) == 0)
            return column;
    }
    return QString();
}

bool isOriginal(const QString& language) { return language.compare(kOriginal, Qt::CaseInsensitive) == 0; }

QString textOf(const Variant& v)
{
    if (v.isNull() || v.isEmpty() || v.isObject() || v.isArray())
        return QString();
    return v.toString();
}
} // namespace

TranslationStore& clsError::store() const
{
    if (!store_)
        raise(Error::ObjectVariableNotSet, QStringLiteral("Object variable or With block variable not set"),
              QStringLiteral("Tevrak.clsError"));
    return *store_;
}

void clsError::setTranslationStore(std::shared_ptr<TranslationStore> store) { store_ = std::move(store); }

void clsError::setLanguage(const QString& name)
{
    // The name goes into SQL as a column name: only the columns the
    // translation database has are taken; anything else means no translation.
    QString column = name.isEmpty() ? QString() : languageColumn(name);
    if (!name.isEmpty() && column.isEmpty())
        column = QStringLiteral("Original");
    language_ = column;
    if (!column.isEmpty() && !isOriginal(column))
        cache_ = store().queryCollection(QStringLiteral("SELECT Original, ") + column +
                                         QStringLiteral(" FROM [Translate]"));
}

QString clsError::stripBlocks(const QString& text)
{
    // Balanced blocks lose their "{" and tag; a "{" with no "}" after it is plain text.
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'{' && i + 1 < text.size() && text.indexOf(u'}', i + 2) >= 0) {
            ++i;
            continue;
        }
        if (c == u'{') {
            out += text.mid(i);
            break;
        }
        if (c != u'}')
            out += c;
    }
    return out;
}

QString clsError::splitBlocks(const QString& text, std::vector<Block>& blocks)
{
    QString skeleton;
    QString rest = text;
    for (;;) {
        const qsizetype open = rest.indexOf(u'{');
        if (open < 0 || open + 1 >= rest.size())
            break;
        const qsizetype close = rest.indexOf(u'}', open + 2);
        if (close < 0)
            break; // an unbalanced "{" stays in the text as it is
        const QString marker = QStringLiteral("{") + rest.at(open + 1) + QStringLiteral("}");
        skeleton += rest.left(open) + marker;
        blocks.push_back({rest.mid(open + 2, close - open - 2), marker});
        rest = rest.mid(close + 1);
    }
    return skeleton + rest;
}

QString clsError::joinBlocks(QString skeleton, const std::vector<Block>& blocks)
{
    for (const Block& b : blocks)
        skeleton.replace(b.marker, b.value, Qt::CaseSensitive);
    return skeleton;
}

bool clsError::findInCache(QString& text) const
{
    try {
        if (!cache_)
            return false;
        const QString key = QStringLiteral("#") + text;
        if (!cache_->Exists(key))
            return false;
        const Variant record = cache_->Item(Variant(key));
        const auto fields = record.as<Collection>();
        if (!fields || fields->Count() < 2)
            return false;
        const Variant value = fields->Item(Variant(std::int32_t(2)));
        if (!value.isString() || value.toString().isEmpty())
            return false;
        text = value.toString();
        return true;
    } catch (...) {
        return false;
    }
}

QString clsError::Translate(const QString& OriginalString, bool CreateNew, const QString& sOwner)
{
    if (OriginalString.trimmed().isEmpty())
        return QString();
    if (language_.isEmpty())
        language_ = kOriginal;
    if (ValueText::isNumeric(OriginalString))
        return OriginalString;
    if (isOriginal(language_))
        return stripBlocks(OriginalString);

    std::vector<Block> blocks;
    QString skeleton = splitBlocks(OriginalString, blocks);
    const QString quoted = quoteDoubled(skeleton);

    auto takeFound = [&skeleton](const CollectionPtr& rows) {
        if (!rows || rows->Count() < 1)
            return false;
        const auto record = rows->Item(Variant(std::int32_t(1))).as<Collection>();
        if (!record || record->Count() < 1)
            return true;
        const QString value = textOf(record->Item(Variant(std::int32_t(1))));
        if (!value.trimmed().isEmpty())
            skeleton = value;
        return true;
    };

    if (quoted.size() <= TranslationText::kShortLimit) {
        if (!findInCache(skeleton)) {
            const CollectionPtr rows = store().queryCollection(QStringLiteral("SELECT ") + language_ +
                                                               QStringLiteral(" FROM [Translate] WHERE Original = '") +
                                                               quoted + QStringLiteral("'"));
            if (!takeFound(rows) && CreateNew) {
                const int columns = store().columnCount(QStringLiteral("Translate"));
                QString sql = QStringLiteral("INSERT INTO [Translate] VALUES('") + quoted + QStringLiteral("'");
                for (int i = 0; i < columns - 2; ++i)
                    sql += QStringLiteral(", ''");
                sql += QStringLiteral(", '") + quoteDoubled(sOwner) + QStringLiteral("')");
                store().execute(sql);
            }
        }
    } else {
        const QString key = TranslationText::hugeKey(quoted);
        const CollectionPtr rows = store().queryCollection(QStringLiteral("SELECT ") + language_ +
                                                           QStringLiteral(" FROM TranslateHuge WHERE OriginalCode = '") +
                                                           key + QStringLiteral("'"));
        if (!takeFound(rows) && CreateNew) {
            const int columns = store().columnCount(QStringLiteral("TranslateHuge"));
            QString sql = QStringLiteral("INSERT INTO TranslateHuge VALUES('") + key + QStringLiteral("', '") +
                          quoted + QStringLiteral("'");
            for (int i = 0; i < columns - 3; ++i)
                sql += QStringLiteral(", ''");
            sql += QStringLiteral(", '") + quoteDoubled(sOwner) + QStringLiteral("')");
            store().execute(sql);
        }
    }
    return joinBlocks(skeleton, blocks);
}

QString clsError::UnDoTranslate(const QString& OriginalString)
{
    if (OriginalString.trimmed().isEmpty())
        return QString();
    if (language_.isEmpty())
        language_ = kOriginal;
    if (isOriginal(language_))
        return stripBlocks(OriginalString);

    std::vector<Block> blocks;
    QString skeleton = splitBlocks(OriginalString, blocks);
    const QString table = skeleton.size() < 256 ? QStringLiteral("Translate") : QStringLiteral("TranslateHuge");
    const CollectionPtr rows =
        store().queryCollection(QStringLiteral("SELECT Original FROM [") + table + QStringLiteral("] WHERE ") +
                                language_ + QStringLiteral(" = '") + quoteDoubled(skeleton) + QStringLiteral("'"));
    if (rows && rows->Count() >= 1) {
        const auto record = rows->Item(Variant(std::int32_t(1))).as<Collection>();
        if (record && record->Count() >= 1) {
            const QString value = textOf(record->Item(Variant(std::int32_t(1))));
            if (!value.trimmed().isEmpty())
                skeleton = value;
        }
    }
    return joinBlocks(skeleton, blocks);
}
