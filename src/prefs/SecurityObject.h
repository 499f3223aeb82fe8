#pragma once

#include <QString>

#include <memory>

class ArchiveDecoder;
class ArchiveEncoder;
class MasterSecurityObject;
class PrivatePasswordObject;

// The security preferences: the private-password record and the record that
// guards the advanced settings, each created on first access.
class SecurityObject
{
public:
    SecurityObject();
    ~SecurityObject();
    SecurityObject(const SecurityObject &) = delete;
    SecurityObject &operator=(const SecurityObject &) = delete;

    static QString archiveClassName() { return QStringLiteral("SecurityObject"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    bool initWithCoder(const ArchiveDecoder &coder);

    void initializationUserObject();
    bool setTheEnvironmentalAtDecoder(const SecurityObject *other);

    PrivatePasswordObject *privatePasswordObject();
    const PrivatePasswordObject *privatePasswordObject() const;
    MasterSecurityObject *masterSecurityObject();
    const MasterSecurityObject *masterSecurityObject() const;

private:
    mutable std::unique_ptr<PrivatePasswordObject> m_privatePasswordObject;
    mutable std::unique_ptr<MasterSecurityObject> m_masterSecurityObject;
};
