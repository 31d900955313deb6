// What the tests read back from the PDF files that Qt writes: the size of each page, in order.
#pragma once

#include <QFile>
#include <QRegularExpression>
#include <QStringList>

namespace testing_support {

// "612x792" for an upright letter page, in page order.
inline QStringList pdfPageSizes(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    QString pdf = QString::fromLatin1(f.readAll());
    QStringList sizes;
    QRegularExpression page(R"(/Type\s*/Page\b(?!s)[\s\S]*?/MediaBox\s*\[\s*([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s+([-\d.]+)\s*\])");
    for (auto it = page.globalMatch(pdf); it.hasNext();) {
        auto m = it.next();
        sizes << QStringLiteral("%1x%2").arg(qRound(m.captured(3).toDouble() - m.captured(1).toDouble()))
                     .arg(qRound(m.captured(4).toDouble() - m.captured(2).toDouble()));
    }
    return sizes;
}

}  // namespace testing_support
