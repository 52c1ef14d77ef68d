#include "export/ExportStatement.h"

#include <QStringList>

namespace exportsql {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$'; }

// One statement of the text as the lexer saw it.
struct Piece {
    QString text;
    QStringList words; // the words outside literals, names and comments
    QString first;     // the first thing outside comments and blanks
};

std::vector<Piece> split(const QString& sql)
{
    std::vector<Piece> pieces(1);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        qsizetype end = i + 1;
        if (c == u'\'' || c == u'"' || c == u'[') {
            const QChar close = c == u'[' ? QChar(u']') : c;
            while (end < n) {
                if (sql.at(end) == close) {
                    if (end + 1 < n && sql.at(end + 1) == close) {
                        end += 2; // doubled: still inside
                        continue;
                    }
                    ++end;
                    break;
                }
                ++end;
            }
        } else if (c == u'-' && i + 1 < n && sql.at(i + 1) == u'-') {
            while (end < n && sql.at(end) != u'\n' && sql.at(end) != u'\r')
                ++end;
            pieces.back().text += QStringView(sql).mid(i, end - i);
            i = end;
            continue;
        } else if (c == u';') {
            pieces.emplace_back();
            i = end;
            continue;
        } else if (isWordChar(c)) {
            while (end < n && isWordChar(sql.at(end)))
                ++end;
            pieces.back().words << sql.mid(i, end - i);
        }
        Piece& piece = pieces.back();
        if (piece.first.isEmpty() && !c.isSpace())
            piece.first = sql.mid(i, end - i);
        piece.text += QStringView(sql).mid(i, end - i);
        i = end;
    }
    return pieces;
}

} // namespace

QString refusalText()
{
    return QStringLiteral("Solo se puede exportar el resultado de una única sentencia SELECT sin INTO.");
}

std::optional<QString> singleSelect(const QString& text)
{
    std::optional<QString> found;
    for (const Piece& piece : split(text)) {
        if (piece.first.isEmpty())
            continue; // blanks and comments only
        if (found || piece.first.compare(QLatin1String("SELECT"), Qt::CaseInsensitive) != 0)
            return std::nullopt;
        for (const QString& w : piece.words)
            if (w.compare(QLatin1String("INTO"), Qt::CaseInsensitive) == 0)
                return std::nullopt;
        found = piece.text.trimmed();
    }
    return found;
}

} // namespace exportsql
