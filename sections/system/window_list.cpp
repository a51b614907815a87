#include "sections/system/window_list.h"

#include <QStringView>

#include <algorithm>

namespace sections {

namespace {

// The caption and the class were read into 40-character buffers, the last for the terminator.
constexpr qsizetype kTextLimit = 39;

// The first `limit` characters; a character outside the basic plane counts once and is never
// split.
QString firstCharacters(const QString& text, qsizetype limit)
{
    qsizetype end = 0;
    for (qsizetype count = 0; end < text.size() && count < limit; ++count)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}

} // namespace

QString windowListLine(const core::TopLevelWindow& window)
{
    return QString::number(window.processId) + QString(8, QLatin1Char(' '))
           + firstCharacters(QString::fromStdString(window.caption), kTextLimit) + QString(4, QLatin1Char(' '))
           + firstCharacters(QString::fromStdString(window.className), kTextLimit);
}

void sortWindowList(QStringList& lines)
{
    std::stable_sort(lines.begin(), lines.end(), [](const QString& a, const QString& b) {
        return QString::compare(a, b, Qt::CaseInsensitive) < 0;
    });
}

std::int64_t processIdOfLine(const QString& line)
{
    constexpr std::int64_t kLargest = 0xFFFFFFFF;
    std::int64_t id = 0;
    for (const QChar c : line) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            break;
        id = id * 10 + (c.unicode() - u'0');
        if (id > kLargest)
            return 0;
    }
    return id;
}

} // namespace sections
