#pragma once

#include <QString>

// Recognises a function marker by its prefix and takes its argument (the
// "children"): the text between the prefix and the last character.
class FunctionFormula
{
public:
    // Marker numbers, in the order the prefixes are tested.
    static constexpr qint32 kColumnTitle = 1;
    static constexpr qint32 kLibrary = 2;
    static constexpr qint32 kUser = 3;
    static constexpr qint32 kCommand = 4;

    static inline const QString kColumnTitlePrefix = QStringLiteral("[ColumnTitle:");
    static inline const QString kLibraryPrefix = QStringLiteral("[Library:");
    static inline const QString kUserPrefix = QStringLiteral("[User:");
    static inline const QString kCommandPrefix = QStringLiteral("[Command:");

    FunctionFormula();

    void initializationUserObject();

    // False for an empty text or one that starts with none of the prefixes.
    bool functionFormulaAtFunction(const QString &text);

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    bool confirmCodeText() const { return !m_codeText.isEmpty(); }
    qint32 textLength() const { return qint32(m_codeText.size()); }
    bool commandSymbol() const { return m_commandSymbol; }
    qint32 commandNumber() const { return m_commandNumber; }
    const QString &children() const { return m_children; }
    bool registerChildren(const QString &value);
    bool confirmChildren() const { return !m_children.isEmpty(); }
    const QString &singleStr() const { return m_singleStr; }

private:
    QString m_codeText;
    bool m_commandSymbol = false;
    qint32 m_commandNumber = 0;
    QString m_children;
    QString m_singleStr;
};
