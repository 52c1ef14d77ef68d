#include "mainwindow/NewKeyRules.h"

#include "controls/TypeWordChecks.h"
#include "core/Error.h"
#include "core/ValueText.h"
#include "data/clsDO_sqltext.h"

#include <QRegularExpression>

namespace NewKeyRules {

QString typeMessage(const QString& typeWord, const QString& value, const QString& field)
{
    const typewords::Kind kind = typewords::kindOf(typeWord);
    if (typewords::passes(kind, value))
        return QString();
    return QStringLiteral("El valor '{1") + typewords::blockSafe(value) + QStringLiteral("}' no corresponde al tipo de dato ") +
           typewords::kindWord(kind) + QStringLiteral(" establecido para el campo '{2") + typewords::blockSafe(field) +
           QStringLiteral("}'");
}

QStringList nameParts(const QString& qualified)
{
    QStringList parts;
    QString current;
    for (qsizetype i = 0; i < qualified.size(); ++i) {
        const QChar c = qualified[i];
        if (c == u'[' || c == u'"') {
            const QChar close = c == u'[' ? QChar(u']') : QChar(u'"');
            for (++i; i < qualified.size(); ++i) {
                if (qualified[i] == close) {
                    if (i + 1 < qualified.size() && qualified[i + 1] == close) {
                        current += close;
                        ++i;
                        continue;
                    }
                    break;
                }
                current += qualified[i];
            }
        } else if (c == u'.') {
            parts << current;
            current.clear();
        } else {
            current += c;
        }
    }
    parts << current;
    return parts;
}

QString quoteName(const QString& name, Quoting quoting)
{
    if (quoting == Quoting::Brackets)
        return sqltext::bracket(name);
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z][A-Za-z0-9_$#]*$"));
    if (plain.match(name).hasMatch())
        return name;
    return u'"' + QString(name).replace(u'"', QLatin1String("\"\"")) + u'"';
}

QString maxStatement(const QString& qualified, Quoting quoting)
{
    QStringList parts = nameParts(qualified);
    const QString field = parts.takeLast();
    for (QString& p : parts)
        p = quoteName(p, quoting);
    return QStringLiteral("SELECT MAX(") + quoteName(field, quoting) + QStringLiteral(") AS MaxValue FROM ") +
           parts.join(u'.');
}

QString nextValue(const Variant& maximum)
{
    if (maximum.isNull() || maximum.isEmpty())
        return QStringLiteral("1");
    switch (maximum.type()) {
    case VarType::Byte:
    case VarType::Integer:
    case VarType::Long:
    case VarType::LongLong: return QString::number(maximum.toLongLong() + 1);
    default: break;
    }
    if (maximum.isNumber())
        return ValueText::numberText(maximum.toDouble() + 1);
    const auto n = ValueText::parseNumber(ValueText::toText(maximum));
    if (!n)
        raise(Error::TypeMismatch, QStringLiteral("Type mismatch"));
    return ValueText::numberText(*n + 1);
}

RowPlace rowPlace(int row, double captionWidth)
{
    RowPlace p;
    p.LabelTop = 1380 + 600.0 * row;
    p.LabelWidth = captionWidth + 150;
    p.TextLeft = p.LabelLeft + p.LabelWidth + 500;
    p.TextTop = 1350 + 600.0 * row;
    p.MaxLeft = p.TextLeft + p.TextWidth + 150;
    p.MaxTop = p.TextTop;
    return p;
}

} // namespace NewKeyRules
