#pragma once

#include "TableColumnDescription.h"

#include <QString>

// Turns a column title and width into the description of a preview table
// column: the indication and option columns get fixed narrow widths, every
// other title an editable text column within the configured width limits.
class TableSourceData
{
public:
    static constexpr float kFixedColumnWidth = 40.0f;
    static constexpr double kCellFontPointSize = 12.0;

    TableSourceData();

    // Limits 1000.0 / 50.0, no sizing to fit, no option title.
    void initializationUserObject();

    float columnMaxWidth() const { return m_columnMaxWidth; }
    void registerColumnMaxWidth(float width) { m_columnMaxWidth = width; }
    float columnMinWidth() const { return m_columnMinWidth; }
    void registerColumnMinWidth(float width) { m_columnMinWidth = width; }
    bool columnsizeToFit() const { return m_columnsizeToFit; }
    void registerColumnsizeToFit(bool state) { m_columnsizeToFit = state; }

    const QString &optionTitle() const { return m_optionTitle; }
    bool registerOptionTitle(const QString &value);
    bool confirmOptionTitle() const { return !m_optionTitle.isEmpty(); }

    // Chooses the kind by title: "NSRIndication", "NSROption" (only while an
    // option title is set), else ordinary.
    TableColumnDescription setAddColumn(const QString &title, float columnWidth, int columnId) const;
    TableColumnDescription makeAddColumn(const QString &title, float columnWidth, int columnId) const;
    TableColumnDescription makeAddIndicationColumnAtID(int columnId) const;
    TableColumnDescription makeAddOptionColumnAtID(int columnId, const QString &title) const;
    // The single placeholder column of a table without titles.
    TableColumnDescription setNewColumn() const;

    static QString columnIdentifier(int columnId);

private:
    float m_columnMaxWidth = 1000.0f;
    float m_columnMinWidth = 50.0f;
    bool m_columnsizeToFit = false;
    QString m_optionTitle;
};
