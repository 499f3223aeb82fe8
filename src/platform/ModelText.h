#pragma once

#include <QString>

#include <memory>

// The string conventions every model class shares.
class ModelText
{
public:
    // The register-setter rule: a non-empty value is stored and answers true;
    // an absent or empty one stores "" (never a null string) and answers false.
    static bool registerString(QString &field, const QString &value)
    {
        if (value.isEmpty()) {
            field = QLatin1String("");
            return false;
        }
        field = value;
        return true;
    }

    // The container-setter rule: non-empty contents replace the field's and
    // answer true; absent or empty contents empty the field and answer false.
    template<class Container>
    static bool registerContainer(Container &field, const Container &value)
    {
        if (value.isEmpty()) {
            field.clear();
            return false;
        }
        field = value;
        return true;
    }

    // An owned part made on first access: constructed, then reset to its
    // defaults. Parts live in mutable owners so that const readers can make them too.
    template<class T>
    static T *lazyPart(std::unique_ptr<T> &part)
    {
        if (!part) {
            part = std::make_unique<T>();
            part->initializationUserObject();
        }
        return part.get();
    }

    // "/a/b.csv" -> "b.csv"; trailing separators are ignored ("/a/b/" -> "b");
    // "/" stays "/" and a name without a separator is returned whole.
    static QString lastPathComponent(const QString &path)
    {
        QStringView view(path);
        while (view.size() > 1 && view.endsWith(u'/'))
            view.chop(1);
        const qsizetype slash = view.lastIndexOf(u'/');
        if (slash < 0 || view.size() == 1)
            return view.toString();
        return view.mid(slash + 1).toString();
    }
};
