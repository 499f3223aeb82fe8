#include "PasswordVerifier.h"

#include "platform/LogCategories.h"

#include <QByteArray>

#include <sodium.h>

#include <array>

namespace {

// The cost ceiling for stored verifiers: a file that asks for more memory or
// passes than this is refused instead of tying up the machine.
constexpr quint64 kMaxMemoryKiB = crypto_pwhash_MEMLIMIT_MODERATE / 1024;
constexpr quint64 kMaxPasses = 8;

bool sodiumReady()
{
    // sodium_init() is thread-safe and idempotent; the answer never changes.
    static const bool ready = sodium_init() >= 0;
    return ready;
}

// UTF-8 bytes that are wiped when they go out of scope.
class SecretBytes
{
public:
    explicit SecretBytes(const QString &text) : m_bytes(text.toUtf8()) {}
    ~SecretBytes()
    {
        if (!m_bytes.isEmpty())
            sodium_memzero(m_bytes.data(), size_t(m_bytes.size()));
    }
    SecretBytes(const SecretBytes &) = delete;
    SecretBytes &operator=(const SecretBytes &) = delete;

    // data() detaches, so the wipe reaches the only copy.
    char *data() { return m_bytes.data(); }
    qsizetype size() const { return m_bytes.size(); }

private:
    QByteArray m_bytes;
};

bool looksLikeArgon2(const QString &value)
{
    return value.startsWith(QLatin1String("$argon2"));
}

} // namespace

QString PasswordVerifier::makeVerifier(const QString &password)
{
    if (password.isEmpty() || !sodiumReady())
        return QStringLiteral("");
    SecretBytes bytes(password);
    std::array<char, crypto_pwhash_STRBYTES> out{};
    if (crypto_pwhash_str(out.data(), bytes.data(), quint64(bytes.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE)
        != 0) {
        qCWarning(lcPlatform) << "password verifier not made: out of memory";
        return QStringLiteral("");
    }
    return QString::fromLatin1(out.data());
}

bool PasswordVerifier::isVerifier(const QString &value)
{
    // "$argon2id$v=19$m=<KiB>,t=<passes>,p=1$<salt>$<hash>", salt and hash in
    // unpadded base64; checked by hand before the library sees any of it.
    QStringView rest(value);
    if (rest.size() >= qsizetype(crypto_pwhash_STRBYTES) || !rest.startsWith(u"$argon2id$v=19$m="))
        return false;
    rest = rest.mid(17);
    const auto takeNumber = [&rest](QStringView end, quint64 max) -> quint64 {
        const qsizetype at = rest.indexOf(end);
        if (at <= 0 || at > 10)
            return 0;
        bool ok = false;
        const quint64 number = rest.left(at).toULongLong(&ok);
        if (!ok || !rest.left(at).front().isDigit())
            return 0;
        rest = rest.mid(at + end.size());
        return number <= max ? number : 0;
    };
    if (takeNumber(u",t=", kMaxMemoryKiB) == 0 || takeNumber(u",p=1$", kMaxPasses) == 0)
        return false;
    const qsizetype dollar = rest.indexOf(u'$');
    if (dollar < 11 || rest.size() - dollar - 1 < 16)
        return false;
    for (qsizetype i = 0; i < rest.size(); ++i) {
        const char16_t c = rest[i].unicode();
        const bool base64 = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')
                            || c == u'+' || c == u'/';
        if (!base64 && i != dollar)
            return false;
    }
    if (!sodiumReady())
        return false;
    // Lets the library judge the rest of the encoding.
    const QByteArray text = value.toLatin1();
    return crypto_pwhash_str_needs_rehash(text.constData(), crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                          crypto_pwhash_MEMLIMIT_INTERACTIVE)
           != -1;
}

bool PasswordVerifier::verify(const QString &stored, const QString &typed)
{
    if (stored.isEmpty() || typed.isEmpty())
        return false;
    SecretBytes typedBytes(typed);
    if (isVerifier(stored)) {
        const QByteArray text = stored.toLatin1();
        return crypto_pwhash_str_verify(text.constData(), typedBytes.data(), quint64(typedBytes.size())) == 0;
    }
    if (looksLikeArgon2(stored))
        return false;
    // A plain password from an older record.
    SecretBytes storedBytes(stored);
    if (storedBytes.size() != typedBytes.size() || !sodiumReady())
        return false;
    return sodium_memcmp(storedBytes.data(), typedBytes.data(), size_t(typedBytes.size())) == 0;
}

void PasswordVerifier::spendOneVerification(const QString &typed)
{
    // Made with makeVerifier()'s costs from random bytes nobody kept, so
    // nothing typed matches it.
    static const QString kDummy = QStringLiteral(
        "$argon2id$v=19$m=65536,t=2,p=1$wLpXRNVd3oigiB//3spOsQ$gXWsiEgWGwCIZR3Nbe12TTx2DJbPYv8eooPmedzM+gY");
    verify(kDummy, typed.isEmpty() ? QStringLiteral(" ") : typed);
}

QString PasswordVerifier::verifierFor(const QString &value)
{
    if (value.isEmpty() || isVerifier(value))
        return value;
    return makeVerifier(value);
}
