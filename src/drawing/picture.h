#pragma once
// A bitmap carried inside the program, drawn on the canvas; when marked transparent,
// every pixel of its bottom-left pixel's colour is left undrawn. Copies share the pixels.
//
// Each picture is also carried drawn again at larger scales (folders x2, x3... beside it), so
// that an enlarged drawing area shows it as sharp as the rest; a fractional scale samples the
// next larger one down.
#include <QImage>
#include <QRgb>
#include <QString>
#include <map>
#include <memory>
#include <vector>

class Picture
{
public:
    Picture() = default;

    // Loads the picture resource `name` from `folder`, whatever the letter case of either
    // name; throws std::runtime_error when there is none, as a missing resource is a build fault.
    static Picture fromResource(const QString &name, const QString &folder = QStringLiteral(":/pictures"));

    void setTransparent(bool transparent);
    bool isTransparent() const { return m_transparent; }
    bool isNull() const { return !m_data; }
    QSize size() const { return m_data ? m_data->image.size() : QSize(); }
    // The same for every copy of one loaded picture.
    const void *identity() const { return m_data.get(); }

    // The pixels as they are drawn: with the transparent colour cut out when marked transparent.
    const QImage &drawable() const;

    // What the picture paints at `scale` times its size: its pixels as runs of one colour,
    // without the transparent colour when marked transparent.
    struct Run { int x, y, length; QRgb colour; };
    const std::vector<Run> &runsAt(qreal scale) const;
    // The size those runs cover.
    QSize sizeAt(qreal scale) const;
    // The same as an image `scale` times the picture's size, transparent where nothing is drawn:
    // for a device that enlarges and smooths an image itself (a PDF page, an SVG picture).
    QImage drawableAt(int scale) const;

private:
    struct Data
    {
        QString name, folder;
        QImage image;
        QImage cutOut;
        // Made when first drawn at a scale, by scale and transparency.
        std::map<std::pair<qreal, bool>, std::vector<Run>> runs;
    };

    std::shared_ptr<Data> m_data;
    bool m_transparent = false;
};
