#include "querypage/CommentLines.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>
#include <functional>

namespace commentlines {

namespace {

QString apply(const QString& text, int selStart, int selLength, const std::function<QString(const QString&)>& line)
{
    qsizetype start = 0, end = text.size();
    if (selLength >= 1) {
        start = std::clamp<qsizetype>(selStart, 0, text.size());
        end = std::clamp<qsizetype>(qsizetype(selStart) + selLength, start, text.size());
    }
    static const QRegularExpression lineBreak(QStringLiteral("\r?\n"));
    const QString joint = text.contains(QLatin1String("\r\n")) ? QStringLiteral("\r\n") : QStringLiteral("\n");
    QStringList lines = text.mid(start, end - start).split(lineBreak);
    for (QString& l : lines)
        l = line(l);
    return text.left(start) + lines.join(joint) + text.mid(end);
}

qsizetype leadingBlanks(const QString& line)
{
    qsizetype n = 0;
    while (n < line.size() && line[n] == u' ')
        ++n;
    return n;
}

} // namespace

QString comment(const QString& text, int selStart, int selLength)
{
    return apply(text, selStart, selLength, [](const QString& l) { return QStringLiteral("--") + l; });
}

QString uncomment(const QString& text, int selStart, int selLength)
{
    return apply(text, selStart, selLength, [](const QString& l) {
        const qsizetype blanks = leadingBlanks(l);
        if (!QStringView(l).mid(blanks).startsWith(QLatin1String("--")))
            return l;
        return l.left(blanks) + l.mid(blanks + 2);
    });
}

} // namespace commentlines
