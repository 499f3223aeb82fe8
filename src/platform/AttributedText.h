#pragma once

#include "TextAttributes.h"

#include <QList>
#include <QMetaType>
#include <QString>

// A string with runs of shared attribute sets. A text whose every character
// carries the default attributes stores no runs at all, so a plain cell costs
// a QString plus one null pointer.
class AttributedText
{
public:
    struct Run
    {
        qsizetype length = 0;
        TextAttributes::Ptr attributes;
        friend bool operator==(const Run &a, const Run &b)
        {
            return a.length == b.length
                && (a.attributes == b.attributes || *a.attributes == *b.attributes);
        }
    };

    AttributedText() = default;
    explicit AttributedText(const QString &text) : m_text(text) {}
    AttributedText(const QString &text, const TextAttributes::Ptr &attributes);

    const QString &string() const { return m_text; }
    qsizetype length() const { return m_text.size(); }
    bool isEmpty() const { return m_text.isEmpty(); }

    // Runs cover the whole text in order; an all-default text reports one run.
    QList<Run> runs() const;
    bool hasOnlyDefaultAttributes() const { return !m_runs; }
    TextAttributes::Ptr attributesAt(qsizetype position) const;

    // Replaces the attributes of [start, start + length); clamps to the text.
    void setAttributes(qsizetype start, qsizetype length, const TextAttributes::Ptr &attributes);
    // Sets runs wholesale; they must cover the text exactly, else false and no change.
    bool setRuns(const QList<Run> &runs);
    void append(const AttributedText &other);

    // For compact stores that keep text and runs apart: the runs are shared,
    // never copied; null means every character has the default attributes.
    using SharedRuns = std::shared_ptr<const QList<Run>>;
    const SharedRuns &sharedRuns() const { return m_runs; }
    // The runs must cover the text exactly (as sharedRuns() of a text does).
    static AttributedText fromSharedRuns(const QString &text, SharedRuns runs)
    {
        AttributedText result(text);
        if (runs && !text.isEmpty())
            result.m_runs = std::move(runs);
        return result;
    }

    friend bool operator==(const AttributedText &a, const AttributedText &b);
    friend bool operator!=(const AttributedText &a, const AttributedText &b) { return !(a == b); }

private:
    void normalise(QList<Run> &runs) const;

    QString m_text;
    // Null means every character has the default attributes.
    SharedRuns m_runs;
};

Q_DECLARE_METATYPE(AttributedText)
