#include "querypage/KeyFields.h"

#include "core/ValueText.h"

#include <cmath>

namespace keyfields {

QString typeWord(int fieldTypeCode)
{
    switch (fieldTypeCode) {
    case 11: return QStringLiteral("YESNO");
    case 2:
    case 17: return QStringLiteral("INTEGER");
    case 3: return QStringLiteral("LONG");
    case 8: return QStringLiteral("STRING");
    case 6: return QStringLiteral("CURRENCY");
    case 7: return QStringLiteral("DATE");
    case 5: return QStringLiteral("DOUBLE");
    case 4: return QStringLiteral("SINGLE");
    default: return QString();
    }
}

QString keyText(const QString& boxText)
{
    QString t = boxText.trimmed();
    t.remove(QStringLiteral("\r\n"));
    for (const QChar c : {u'\t', u' ', u'[', u']'})
        t.remove(c);
    return t;
}

QString KeyFieldAt(const QStringList& structureNames, int position)
{
    return position >= 1 && position <= structureNames.size() ? structureNames[position - 1] : QString();
}

QString FieldIndexByName(const QStringList& structureNames, const QString& name)
{
    const auto plain = [](QString s) { return s.remove(u'[').remove(u']').toUpper(); };
    const QString wanted = plain(name);
    for (int i = 0; i < structureNames.size(); ++i)
        if (plain(structureNames[i]) == wanted)
            return QString::number(i + 1);
    return QString();
}

namespace {

// A piece of the key text that is a field position (a whole decimal number).
bool isPosition(const QString& piece, int& position)
{
    if (!ValueText::isNumeric(piece))
        return false;
    const std::optional<double> n = ValueText::parseNumber(piece);
    position = n && std::floor(*n) == *n && std::abs(*n) < 1e9 ? int(*n) : -1;
    return true;
}

} // namespace

Resolution resolve(const QString& keyText, const QStringList& structureNames, const QString& tableName)
{
    Resolution r;
    if (keyText.isEmpty())
        return r;
    QStringList positions, names, locked;
    for (QString piece : keyText.split(u',')) {
        int position = 0;
        QString name;
        if (isPosition(piece, position)) {
            name = KeyFieldAt(structureNames, position);
            if (name.isEmpty())
                return {};
        } else {
            piece.remove(QStringLiteral("\r\n"));
            name = piece.contains(u'.') ? piece : tableName + u'.' + piece;
            const QString index = FieldIndexByName(structureNames, name);
            if (index.isEmpty())
                return {};
            position = index.toInt();
        }
        positions << QString::number(position);
        names << name;
        locked << QString::number(position - 1);
    }
    r.ok = true;
    r.positions = positions.join(u',');
    r.list = names.join(u',');
    r.locked = locked.join(u',');
    return r;
}

QString repeatedKeyStatement(const QString& keyList, const QString& tableName)
{
    return QStringLiteral("SELECT ") + keyList + QStringLiteral(" FROM ") + tableName + QStringLiteral(" GROUP BY ") +
           keyList + QStringLiteral(" HAVING COUNT(*) > 1");
}

int newKeyLayout(const QStringList& keyNames, const QStringList& keyPositions, const QStringList& types,
                 const QString& tableName, const std::function<double(const QString&)>& measure,
                 std::vector<NewKeyDialog::KeyField>& rows)
{
    // Row 0 as the dialog is designed; each further row 600 twips lower.
    constexpr int labelLeft = 630, labelTop = 1380, textTop = 1350, textWidth = 2325, rowStep = 600;
    const QString prefix = tableName + u'.';
    rows.clear();
    for (int i = 0; i < keyNames.size(); ++i) {
        NewKeyDialog::KeyField f;
        const int position = i < keyPositions.size() ? keyPositions[i].toInt() : 0;
        f.qualifiedName = keyNames[i];
        f.caption = QString(keyNames[i]).remove(prefix);
        f.typeWord = position >= 1 && position <= types.size() ? types[position - 1] : QString();
        f.labelLeft = labelLeft;
        f.labelTop = labelTop + i * rowStep;
        f.labelWidth = int(std::lround(measure(f.caption))) + 150;
        f.textLeft = f.labelLeft + f.labelWidth + 500;
        f.textTop = textTop + i * rowStep;
        // "INTEGERLONG" holds both whole-number words and the empty word.
        f.maxButton = i > 0 && QStringLiteral("INTEGERLONG").contains(f.typeWord);
        if (f.maxButton) {
            f.maxLeft = f.textLeft + textWidth + 150;
            f.maxTop = f.textTop;
        }
        rows.push_back(f);
    }
    return (rows.empty() ? textTop : rows.back().textTop) + 1100;
}

} // namespace keyfields
