#pragma once

#include "Row.h"
#include "RowSchema.h"

#include <QString>

// A title's position in a row's schema, looked up again only when the schema
// or the title changes: rows of one list nearly always share a schema, so a
// pass over many rows looks each title up once. The schema is held: an edit
// may free the one a row had, and a new schema could then take its address.
class TitlePosition
{
public:
    // -1 when the row's schema has no such title.
    qsizetype in(const Row &row, const QString &title)
    {
        if (row.schema() != m_schema || title != m_title) {
            m_schema = row.schema();
            m_title = title;
            m_index = m_schema ? m_schema->indexOf(title) : -1;
        }
        return m_index;
    }

private:
    RowSchema::Ptr m_schema;
    QString m_title;
    qsizetype m_index = -1;
};
