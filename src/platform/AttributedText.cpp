#include "AttributedText.h"

AttributedText::AttributedText(const QString &text, const TextAttributes::Ptr &attributes)
    : m_text(text)
{
    if (attributes && !text.isEmpty() && !attributes->isDefault())
        m_runs = std::make_shared<const QList<Run>>(QList<Run>{{text.size(), attributes}});
}

QList<AttributedText::Run> AttributedText::runs() const
{
    if (m_runs)
        return *m_runs;
    if (m_text.isEmpty())
        return {};
    return {{m_text.size(), TextAttributes::defaults()}};
}

TextAttributes::Ptr AttributedText::attributesAt(qsizetype position) const
{
    if (!m_runs)
        return TextAttributes::defaults();
    qsizetype end = 0;
    for (const Run &run : *m_runs) {
        end += run.length;
        if (position < end)
            return run.attributes;
    }
    return m_runs->isEmpty() ? TextAttributes::defaults() : m_runs->last().attributes;
}

void AttributedText::normalise(QList<Run> &runs) const
{
    QList<Run> merged;
    merged.reserve(runs.size());
    for (Run &run : runs) {
        if (run.length <= 0)
            continue;
        if (!run.attributes)
            run.attributes = TextAttributes::defaults();
        if (!merged.isEmpty() && *merged.last().attributes == *run.attributes)
            merged.last().length += run.length;
        else
            merged.append(run);
    }
    runs = merged;
}

bool AttributedText::setRuns(const QList<Run> &runs)
{
    qsizetype total = 0;
    for (const Run &run : runs) {
        if (run.length < 0)
            return false;
        total += run.length;
    }
    if (total != m_text.size())
        return false;
    QList<Run> copy = runs;
    normalise(copy);
    if (copy.isEmpty() || (copy.size() == 1 && copy.first().attributes->isDefault()))
        m_runs.reset();
    else
        m_runs = std::make_shared<const QList<Run>>(std::move(copy));
    return true;
}

void AttributedText::setAttributes(qsizetype start, qsizetype length,
                                   const TextAttributes::Ptr &attributes)
{
    start = qBound(qsizetype(0), start, m_text.size());
    length = qBound(qsizetype(0), length, m_text.size() - start);
    if (length == 0)
        return;
    QList<Run> result;
    qsizetype position = 0;
    for (const Run &run : runs()) {
        const qsizetype runEnd = position + run.length;
        if (runEnd <= start || position >= start + length) {
            result.append(run);
        } else {
            if (position < start)
                result.append({start - position, run.attributes});
            if (runEnd > start + length)
                result.append({runEnd - (start + length), run.attributes});
        }
        position = runEnd;
    }
    // Insert the new run at its place among the pieces kept around it.
    QList<Run> ordered;
    qsizetype cursor = 0;
    bool inserted = false;
    for (const Run &run : result) {
        if (!inserted && cursor >= start) {
            ordered.append({length, attributes});
            inserted = true;
        }
        ordered.append(run);
        cursor += run.length;
    }
    if (!inserted)
        ordered.append({length, attributes});
    setRuns(ordered);
}

void AttributedText::append(const AttributedText &other)
{
    if (!m_runs && !other.m_runs) {
        m_text += other.m_text;
        return;
    }
    QList<Run> combined = runs();
    combined += other.runs();
    m_text += other.m_text;
    setRuns(combined);
}

bool operator==(const AttributedText &a, const AttributedText &b)
{
    if (a.m_text != b.m_text)
        return false;
    if (a.m_runs == b.m_runs)
        return true;
    return a.runs() == b.runs();
}
