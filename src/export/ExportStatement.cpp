#include "export/ExportStatement.h"

#include "data/SqlScan.h"

#include <QStringList>

namespace exportsql {

namespace {

bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'@' || c == u'#' || c == u'$'; }

// One statement of the text as the scanner saw it.
struct Piece {
    QString text;
    QStringList words; // the words outside literals, names and comments
    QString first;     // the first thing outside comments and blanks
};

std::vector<Piece> split(const QString& sql)
{
    std::vector<Piece> pieces(1);
    for (const sqltext::Segment& s : sqltext::segments(sql)) {
        const QStringView part = QStringView(sql).mid(s.start, s.length);
        if (s.kind == sqltext::Kind::Comment) {
            pieces.back().text += part;
            continue;
        }
        if (s.kind != sqltext::Kind::Code) {
            Piece& piece = pieces.back();
            if (piece.first.isEmpty())
                piece.first = part.toString();
            piece.text += part;
            continue;
        }
        const qsizetype n = part.size();
        for (qsizetype i = 0; i < n;) {
            const QChar c = part[i];
            qsizetype end = i + 1;
            if (c == u';') {
                pieces.emplace_back();
                i = end;
                continue;
            }
            if (isWordChar(c)) {
                while (end < n && isWordChar(part[end]))
                    ++end;
                pieces.back().words << part.mid(i, end - i).toString();
            }
            Piece& piece = pieces.back();
            if (piece.first.isEmpty() && !c.isSpace())
                piece.first = part.mid(i, end - i).toString();
            piece.text += part.mid(i, end - i);
            i = end;
        }
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
