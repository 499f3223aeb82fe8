#pragma once

#include <QString>

#include <memory>

class AdvancedObject;
class ArchiveDecoder;
class ArchiveEncoder;
class GeneralObject;
class SecurityObject;

// The user's preferences as one tree of three groups, stored as a single
// keyed archive (see DomainObject). Each group is created on first access.
class PreferencesSource
{
public:
    PreferencesSource();
    ~PreferencesSource();
    PreferencesSource(const PreferencesSource &) = delete;
    PreferencesSource &operator=(const PreferencesSource &) = delete;

    static QString archiveClassName() { return QStringLiteral("PreferencesSource"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    // A group missing from the archive keeps its defaults.
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const PreferencesSource *other);

    GeneralObject *generalObject();
    const GeneralObject *generalObject() const;
    AdvancedObject *advancedObject();
    const AdvancedObject *advancedObject() const;
    SecurityObject *securityObject();
    const SecurityObject *securityObject() const;

private:
    mutable std::unique_ptr<GeneralObject> m_generalObject;
    mutable std::unique_ptr<AdvancedObject> m_advancedObject;
    mutable std::unique_ptr<SecurityObject> m_securityObject;
};
