#pragma once

#include <QString>

class ArchiveDecoder;
class ArchiveEncoder;

// A font as the model keeps it, without a GUI font class: an empty family
// and a zero size mean the system font at the system's standard size.
class FontDescription
{
public:
    static QString archiveClassName() { return QStringLiteral("FontDescription"); }
    void encodeWithCoder(ArchiveEncoder &coder) const;
    // Out-of-range sizes and weights from a file fall back to the system's.
    bool initWithCoder(const ArchiveDecoder &coder);

    static FontDescription systemFont() { return {}; }
    bool isSystemFont() const { return m_family.isEmpty() && m_pointSize == 0.0; }

    const QString &family() const { return m_family; }
    void setFamily(const QString &family) { m_family = family; }
    // 0 means the system's standard size.
    double pointSize() const { return m_pointSize; }
    void setPointSize(double size);
    // CSS-style weight: 400 normal, 700 bold.
    int weight() const { return m_weight; }
    void setWeight(int weight);
    bool italic() const { return m_italic; }
    void setItalic(bool italic) { m_italic = italic; }

    friend bool operator==(const FontDescription &, const FontDescription &) = default;

private:
    QString m_family;
    double m_pointSize = 0.0;
    int m_weight = 400;
    bool m_italic = false;
};
