#include "compare/CompareModel.h"

#include "core/CollectionHelpers.h"
#include "messages/clsError.h"

namespace compare {

QString RecordKey(Kind kind, const QString& name)
{
    return (kind == Kind::Table ? QStringLiteral("T|") : QStringLiteral("V|")) + name;
}

QString DataTypeName(std::int16_t code)
{
    switch (code) {
    case 11: return QStringLiteral("Boolean");
    case 17: return QStringLiteral("Byte");
    case 2: return QStringLiteral("Integer");
    case 3: return QStringLiteral("Long");
    case 6: return QStringLiteral("Currency");
    case 4: return QStringLiteral("Single");
    case 5: return QStringLiteral("Double / Float");
    case 7: return QStringLiteral("DateTime");
    case 8: return QStringLiteral("Text");
    case 12: return QStringLiteral("Binary");
    default: return QString();
    }
}

std::int32_t FindInsertPosition(const Collection& records, const QString& name)
{
    QStringList names;
    names.reserve(records.Count());
    for (int i = 1; i <= records.Count(); ++i) {
        const auto record = records[i].as<Collection>();
        names << (record ? textItem(*record, QStringLiteral("TableName")) : QString());
    }
    return FindInsertPosition(names, name);
}

std::int32_t FindInsertPosition(const QStringList& names, const QString& name)
{
    for (int i = 0; i < names.size(); ++i)
        if (name.compare(names.at(i), Qt::CaseSensitive) < 0)
            return i + 1;
    return std::int32_t(names.size()) + 1;
}

QString lineSkeleton(Line line)
{
    switch (line) {
    case Line::TableCurrent: return QStringLiteral("Tabla {1} Actual ({2} de {3})");
    case Line::TableCompared: return QStringLiteral("Tabla {1} Comparada ({2} de {3})");
    case Line::ViewCurrent: return QStringLiteral("Vista {1} Actual ({2} de {3})");
    case Line::ViewCompared: return QStringLiteral("Vista {1} Comparada ({2} de {3})");
    case Line::ComparingFields: return QStringLiteral("Comparando Campos ({2} de {3})");
    case Line::ComparingIndexes: return QStringLiteral("Comparando Indices ({2} de {3})");
    case Line::LoadingIndexes: return QStringLiteral("Cargando Indices ({2} de {3})");
    }
    return QString();
}

RunTexts::RunTexts()
    : table(QStringLiteral("Tabla")), view(QStringLiteral("Vista")), onlyCurrent(QStringLiteral("Solo en BBDD actual")),
      onlyCompared(QStringLiteral("Solo en BBDD comparada"))
{
    for (int i = 0; i < LineCount; ++i)
        lines[std::size_t(i)] = lineSkeleton(Line(i));
}

RunTexts RunTexts::translated(clsError* msg)
{
    RunTexts t;
    if (!msg)
        return t;
    // The skeleton goes to the message object with each marker as a
    // BraceBlock holding a private-use character, which translation keeps;
    // the markers are put back afterwards.
    auto marker = [](int d) { return QString(QChar(0xE000 + d)); };
    for (int i = 0; i < LineCount; ++i) {
        QString s = lineSkeleton(Line(i));
        for (int d = 1; d <= 3; ++d)
            s.replace(QStringLiteral("{%1}").arg(d), QStringLiteral("{%1").arg(d) + marker(d) + QLatin1Char('}'));
        s = msg->Translate(s, true, OwnerProgress);
        for (int d = 1; d <= 3; ++d)
            s.replace(marker(d), QStringLiteral("{%1}").arg(d));
        t.lines[std::size_t(i)] = s;
    }
    t.table = msg->Translate(t.table, true, OwnerWindow);
    t.view = msg->Translate(t.view, true, OwnerWindow);
    t.onlyCurrent = msg->Translate(t.onlyCurrent, true, OwnerWindow);
    t.onlyCompared = msg->Translate(t.onlyCompared, true, OwnerWindow);
    return t;
}

QString RunTexts::line(Line which, const QString& name, std::int32_t step, std::int32_t total) const
{
    const QString& skeleton = lines[std::size_t(which)];
    QString out;
    out.reserve(skeleton.size() + name.size() + 8);
    for (qsizetype i = 0; i < skeleton.size(); ++i) {
        if (skeleton.at(i) == u'{' && i + 2 < skeleton.size() && skeleton.at(i + 2) == u'}') {
            const QChar digit = skeleton.at(i + 1);
            if (digit == u'1' || digit == u'2' || digit == u'3') {
                out += digit == u'1' ? name : QString::number(digit == u'2' ? step : total);
                i += 2;
                continue;
            }
        }
        out += skeleton.at(i);
    }
    return out;
}

CollectionPtr sub(const Collection& c, const QString& key)
{
    if (!c.Exists(key))
        return nullptr;
    return c.Item(Variant(key)).as<Collection>();
}

QString textItem(const Collection& c, const QString& key)
{
    const Variant& v = c.Item(Variant(key));
    return v.isNull() || v.isEmpty() ? QString() : v.toString();
}

} // namespace compare
