#include "platform/PasswordVerifier.h"

#include <QElapsedTimer>
#include <QTest>

using namespace Qt::StringLiterals;

class tst_PasswordVerifier : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void verifierChecksThePassword()
    {
        const QString password = u"Grüße, 秘密 1"_s;
        const QString verifier = PasswordVerifier::makeVerifier(password);
        QVERIFY(PasswordVerifier::isVerifier(verifier));
        QVERIFY(verifier != password);
        QVERIFY(!verifier.contains(password));

        QVERIFY(PasswordVerifier::verify(verifier, password));
        QVERIFY(!PasswordVerifier::verify(verifier, u"Grüße, 秘密 2"_s));
        QVERIFY(!PasswordVerifier::verify(verifier, QString()));
        // The verifier itself is no password.
        QVERIFY(!PasswordVerifier::verify(verifier, verifier));

        // Salted: the same password never gives the same verifier twice.
        QVERIFY(PasswordVerifier::makeVerifier(password) != verifier);

        // An existing verifier is kept; nothing is made from nothing.
        QCOMPARE(PasswordVerifier::verifierFor(verifier), verifier);
        QVERIFY(PasswordVerifier::makeVerifier(QString()).isEmpty());
        QVERIFY(PasswordVerifier::verifierFor(QString()).isEmpty());
    }

    void plainPasswordsOfOlderRecordsStillMatch()
    {
        QVERIFY(PasswordVerifier::verify(u"äbc"_s, u"äbc"_s));
        QVERIFY(!PasswordVerifier::verify(u"äbc"_s, u"äbC"_s));
        QVERIFY(!PasswordVerifier::verify(u"abc"_s, u"abcd"_s));
        QVERIFY(!PasswordVerifier::verify(u"abcd"_s, u"abc"_s));
        QVERIFY(!PasswordVerifier::verify(QString(), QString()));
        QVERIFY(!PasswordVerifier::isVerifier(u"äbc"_s));
    }

    void storedValuesAreDistrusted()
    {
        const QString verifier = PasswordVerifier::makeVerifier(u"pw"_s);
        QVERIFY(verifier.contains(u"$m=65536,t=2,p=1$"_s));

        // Costs far beyond our own would tie the machine up: refused at once,
        // and the text is not taken for a plain password either.
        QString costly = verifier;
        costly.replace(u"m=65536"_s, u"m=4194304"_s);
        QString slow = verifier;
        slow.replace(u"t=2,"_s, u"t=4000000000,"_s);
        QElapsedTimer timer;
        timer.start();
        for (const QString &stored : {costly, slow, verifier.chopped(30), verifier + u"\0"_s,
                                      u"$argon2id$v=19$m=65536,t=2,p=1$$"_s, u"$argon2i$junk"_s}) {
            QVERIFY2(!PasswordVerifier::isVerifier(stored), qPrintable(stored));
            QVERIFY(!PasswordVerifier::verify(stored, u"pw"_s));
            QVERIFY(!PasswordVerifier::verify(stored, stored));
        }
        QVERIFY(timer.elapsed() < 2000);

        // A password that merely looks like a verifier is hashed like any other.
        QVERIFY(PasswordVerifier::isVerifier(PasswordVerifier::verifierFor(u"$argon2id$junk"_s)));
    }
};

QTEST_GUILESS_MAIN(tst_PasswordVerifier)
#include "tst_PasswordVerifier.moc"
