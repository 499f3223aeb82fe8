#pragma once

#include <QString>

// Password verifiers: an Argon2id string made from the password's UTF-8
// bytes, stored wherever a password used to be kept. Older records hold the
// plain password; verify() still accepts those, comparing in constant time.
// Every function is thread-safe.
class PasswordVerifier
{
public:
    // "" for an empty password or when hashing fails (out of memory).
    // Costs about a tenth of a second.
    static QString makeVerifier(const QString &password);

    // Whether typed is the password behind stored. An empty stored value or
    // an empty typed text never matches; a stored value that looks like a
    // verifier but is malformed, or asks for more work than we would ever
    // have chosen, never matches either (stored values come from files).
    static bool verify(const QString &stored, const QString &typed);

    // A well-formed Argon2id verifier within our cost limits.
    static bool isVerifier(const QString &value);

    // Spends the time of one verify() with our own costs and answers nothing,
    // for the paths that know the answer early (an unknown title) and must
    // not let the time tell.
    static void spendOneVerification(const QString &typed);

    // A verifier for value unless it is one already ("" stays "").
    static QString verifierFor(const QString &value);
};
