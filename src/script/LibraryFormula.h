#pragma once

#include <QString>
#include <QVariant>
#include <QVariantMap>

// Resolves library code: finds the library titles a source's code text uses
// and takes the matching entry's template, filling its marker list with
// arguments found in the code text.
// Library entries: {"makingResultString": template, "requesMarkertListDictionary":
// {marker key: default argument text}}.
class LibraryFormula
{
public:
    LibraryFormula();

    void initializationUserObject();

    // True when an entry without markers matched (its template is the
    // result); false when the titles ran out, possibly with a template and a
    // filled marker list left for the interpreter to evaluate.
    bool libraryFormulaAtFunction();
    // Gives the first marker key (in key order) whose argument the code text
    // holds that argument as its value.
    bool makingMarkertListForObject();
    // Stores an evaluated value under a marker key; an empty key stores nothing.
    bool addAnswerObject(const QVariant &object, const QString &key);

    const QString &codeText() const { return m_codeText; }
    bool registerCodeText(const QString &value);
    const QString &makingResultString() const { return m_makingResultString; }
    bool registerMakingResultString(const QString &value);
    const QVariantMap &requesLibraryCodeDictionary() const { return m_requesLibraryCodeDictionary; }
    bool registerRequesLibraryCodeDictionary(const QVariantMap &value);
    const QVariantMap &requesMarkertListDictionary() const { return m_requesMarkertListDictionary; }
    bool registerRequesMarkertListDictionary(const QVariantMap &value);
    bool confirmRequesMarkertListDictionary() const { return !m_requesMarkertListDictionary.isEmpty(); }

private:
    QString m_codeText;
    QString m_makingResultString;
    QVariantMap m_requesLibraryCodeDictionary;
    QVariantMap m_requesMarkertListDictionary;
};
