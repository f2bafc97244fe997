#pragma once
// A bitmap carried inside the program, drawn on the canvas; when marked transparent,
// every pixel of its bottom-left pixel's colour is left undrawn.
#include <QImage>
#include <QString>

class Picture
{
public:
    Picture() = default;

    // Loads the picture resource `name` from `folder`, whatever the letter case of either
    // name; throws std::runtime_error when there is none, as a missing resource is a build fault.
    static Picture fromResource(const QString &name, const QString &folder = QStringLiteral(":/pictures"));

    void setTransparent(bool transparent);
    bool isTransparent() const { return m_transparent; }
    bool isNull() const { return m_image.isNull(); }
    QSize size() const { return m_image.size(); }

    // The pixels as they are drawn: with the transparent colour cut out when marked transparent.
    const QImage &drawable() const { return m_transparent ? m_cutOut : m_image; }

private:
    explicit Picture(QImage image) : m_image(std::move(image)) {}

    QImage m_image;
    QImage m_cutOut;
    bool m_transparent = false;
};
