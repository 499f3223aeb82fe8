#pragma once

#include "OptionSource.h"

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantMap>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;

// Stored options by title; each value is the option's own copy of its sources.
using OptionSourceDictionary = QMap<QString, OptionSourceArray>;

// The option set of one list item: the current option's sources, every option
// stored for the item, the working source the editor edits and the reference
// tables the editor offers. Replacing or removing stored entries asks the user
// through the alert routine (263002 replace, 263004 remove).
class OptionObjectSource
{
public:
    OptionObjectSource();
    ~OptionObjectSource();
    // Copies are independent (the working source included).
    OptionObjectSource(const OptionObjectSource &other);
    OptionObjectSource &operator=(const OptionObjectSource &other);
    OptionObjectSource(OptionObjectSource &&other) noexcept;
    OptionObjectSource &operator=(OptionObjectSource &&other) noexcept;

    static QString archiveClassName() { return QStringLiteral("OptionObjectSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    // Empties the current option and resets the working source; stored
    // options and reference tables stay.
    void initializationUserObject();
    // Copies the six archived fields.
    bool setTheEnvironmentalAtDecoder(const OptionObjectSource *other);

    // The working source; created empty on first access, never null.
    OptionSource *optionSource();
    const OptionSource *optionSource() const;

    const OptionSourceDictionary &optionObjectSourceDictionary() const { return m_optionObjectSourceDictionary; }
    bool registerOptionObjectSourceDictionary(const OptionSourceDictionary &value);
    bool confirmOptionObjectSourceDictionary() const { return !m_optionObjectSourceDictionary.isEmpty(); }

    const QString &optionTitle() const { return m_optionTitle; }
    bool registerOptionTitle(const QString &value);
    bool confirmOptionTitle() const { return !m_optionTitle.isEmpty(); }

    const OptionSourceArray &optionSourceArray() const { return m_optionSourceArray; }
    bool registerOptionSourceArray(const OptionSourceArray &value);
    bool confirmOptionSourceArray() const { return !m_optionSourceArray.isEmpty(); }

    // Index found by the last successful inspectOptionSourceArrayAtTitle().
    qint32 optionSourceRow() const { return m_optionSourceRow; }

    // Localised "0013Title" -> column titles; localised "0014Title" -> library dictionary.
    const QVariantMap &referenceListDictionary() const { return m_referenceListDictionary; }
    bool registerReferenceListDictionary(const QVariantMap &value);
    bool confirmReferenceListDictionary() const { return !m_referenceListDictionary.isEmpty(); }

    const QStringList &referenceListArray() const { return m_referenceListArray; }
    bool registerReferenceListArray(const QStringList &value);
    bool confirmReferenceListArray() const { return !m_referenceListArray.isEmpty(); }

    const QVariantMap &referenceUserDictionary() const { return m_referenceUserDictionary; }
    bool registerReferenceUserDictionary(const QVariantMap &value);
    bool confirmReferenceUserDictionary() const { return !m_referenceUserDictionary.isEmpty(); }

    // Library title -> code text.
    const QVariantMap &requesLibraryCodeDictionary() const { return m_requesLibraryCodeDictionary; }
    bool registerRequesLibraryCodeDictionary(const QVariantMap &value);
    bool confirmRequesLibraryCodeDictionary() const { return !m_requesLibraryCodeDictionary.isEmpty(); }

    // Exact-match lookups; an empty title is never found.
    bool inspectOptionObjectSourceDictionaryAtTitle(const QString &title) const;
    bool inspectReferenceUserDictionaryAtTitle(const QString &title) const;
    bool inspectRequesLibraryCodeDictionaryAtTitle(const QString &title) const;
    // Sets optionSourceRow to the first source of that title.
    bool inspectOptionSourceArrayAtTitle(const QString &title);

    // Makes a stored option current. The title is taken even when no option
    // of that title is stored (false then).
    bool readDevelopOptionTitle(const QString &title);
    // Stores the current sources under the title, asking before replacing.
    bool addOptionTitle(const QString &title);
    // Makes the title current and stores a copy of the sources under it.
    bool setOptionObject(const OptionSourceArray &sources, const QString &title);
    bool removeOptionObjectOptionTitle(const QString &title);

    // Renames the working source to the title and, when the current option
    // has a source of that title, loads the first one into it.
    bool readDevelopSourceTitle(const QString &title);
    // The source at the row, or null when there is none.
    const OptionSource *getDevelopSourceAtRow(qint32 row) const;
    // Stores a copy of the working source under the title, asking before
    // replacing the first source of that title.
    bool addOptionSourceTitle(const QString &title);
    // Like addOptionSourceTitle() for the given source, without asking.
    bool setSourceObject(const OptionSource &source, const QString &title);
    // Asks, then removes the first source of that title.
    bool removeOptionSourceTitle(const QString &title);

    // Stores a user reference, asking before replacing one of that title.
    bool addReferenceUserObject(const QVariant &object, const QString &title);
    // Stores a non-empty value without asking.
    bool setReferenceUserObject(const QVariant &object, const QString &title);
    bool removeReferenceUserTitle(const QString &title);

    bool addRequesLibraryCode(const QString &code, const QString &title);

    // The choices the editor offers for a reference state (2630: column titles
    // without the reserved ones; 2631: library titles; 2632: user reference
    // titles; otherwise none); also kept as referenceListArray.
    QStringList getTegistrationListAtState(qint32 state);

    // Diagnostic dump with one "optionSource:" entry per source; for logging only.
    QString logText() const;

private:
    mutable std::unique_ptr<OptionSource> m_optionSource;
    OptionSourceDictionary m_optionObjectSourceDictionary;
    QString m_optionTitle;
    OptionSourceArray m_optionSourceArray;
    qint32 m_optionSourceRow = 0;
    QVariantMap m_referenceListDictionary;
    QStringList m_referenceListArray;
    QVariantMap m_referenceUserDictionary;
    QVariantMap m_requesLibraryCodeDictionary;
};
