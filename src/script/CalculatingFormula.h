#pragma once

#include <QString>

// Parses a two-operand formula ("=2*3", "=[User:total]/4"). Operators are
// never part of an operand and the last one in the text wins, so "=1+2+3"
// reads as 1 + 23. An operand that is not a literal number is kept as an
// expression for the interpreter to evaluate and write back as text.
class CalculatingFormula
{
public:
    // Operator codes.
    static constexpr qint32 kNone = 0;
    static constexpr qint32 kAdd = 1;
    static constexpr qint32 kSubtract = 2;
    static constexpr qint32 kMultiply = 3;
    static constexpr qint32 kDivide = 4;

    CalculatingFormula();

    void initializationUserObject();

    // Always true for a non-empty text; the operands say what was found.
    bool calculatingFormulaAtFunction(const QString &text);
    // Single-precision result; with no operator, the second operand.
    float answerCalculatingFormula() const;

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    qint32 textLength() const { return qint32(m_codeText.size()); }
    bool operatorSymbol() const { return m_operatorSymbol; }
    bool comInterrupt() const { return m_comInterrupt; }
    qint32 calculating() const { return m_calculating; }
    const QString &singleStr() const { return m_singleStr; }
    const QString &firstStr() const { return m_firstStr; }
    bool registerFirstStr(const QString &value);
    bool confirmFirstStr() const { return !m_firstStr.isEmpty(); }
    const QString &bottomStr() const { return m_bottomStr; }
    bool registerBottomStr(const QString &value);
    bool confirmBottomStr() const { return !m_bottomStr.isEmpty(); }
    const QString &firstCom() const { return m_firstCom; }
    bool confirmFirstCom() const { return !m_firstCom.isEmpty(); }
    const QString &bottomCom() const { return m_bottomCom; }
    bool confirmBottomCom() const { return !m_bottomCom.isEmpty(); }

private:
    QString m_codeText;
    bool m_operatorSymbol = false;
    bool m_comInterrupt = false;
    qint32 m_calculating = kNone;
    QString m_singleStr;
    QString m_firstStr;
    QString m_bottomStr;
    QString m_firstCom;
    QString m_bottomCom;
};
