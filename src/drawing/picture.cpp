#include "drawing/picture.h"

#include "drawing/raster.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace {
// The picture `name` in `folder`, found whatever the letter case; null when there is none.
QImage findImage(const QString &name, const QString &folder)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files);
    for (const QFileInfo &entry : entries) {
        if (entry.completeBaseName().compare(name, Qt::CaseInsensitive) == 0) {
            QImage image(entry.filePath());
            if (!image.isNull())
                return image.convertToFormat(QImage::Format_RGB32);
        }
    }
    return {};
}

QString scaleFolder(const QString &folder, int scale)
{
    return folder + QStringLiteral("/x%1").arg(scale);
}
}

Picture Picture::fromResource(const QString &name, const QString &folder)
{
    QImage image = findImage(name, folder);
    if (image.isNull())
        throw std::runtime_error(QStringLiteral("Ressource introuvable : %1").arg(name).toStdString());
    Picture picture;
    picture.m_data = std::make_shared<Data>(Data{name, folder, std::move(image), {}, {}});
    return picture;
}

void Picture::setTransparent(bool transparent)
{
    m_transparent = transparent;
    if (!transparent || isNull() || !m_data->cutOut.isNull())
        return;
    const QImage &image = m_data->image;
    const QRgb key = image.pixel(0, image.height() - 1);
    QImage cutOut = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < cutOut.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(cutOut.scanLine(y));
        for (int x = 0; x < cutOut.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    m_data->cutOut = cutOut.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

const QImage &Picture::drawable() const
{
    static const QImage none;
    if (isNull())
        return none;
    return m_transparent ? m_data->cutOut : m_data->image;
}

const std::vector<Picture::Run> &Picture::runsAt(qreal scale) const
{
    static const std::vector<Run> none;
    if (isNull())
        return none;
    const std::pair key{scale, m_transparent};
    if (const auto found = m_data->runs.find(key); found != m_data->runs.end())
        return found->second;
    std::vector<Run> &runs = m_data->runs[key];
    // A whole scale takes the largest scale carried that divides it, its pixels drawn as blocks
    // (which only happens beyond the scales carried); a fractional one takes the next whole scale
    // carried above it, each of its own pixels sampled from there.
    QImage image;
    const int whole = int(std::ceil(scale));
    int carried = whole;
    for (; carried > 1; --carried) {
        if ((whole != scale || whole % carried == 0)
            && !(image = findImage(m_data->name, scaleFolder(m_data->folder, carried))).isNull())
            break;
    }
    if (carried == 1)
        image = m_data->image;
    const QSize target = sizeAt(scale);
    const qreal step = carried / scale; // carried pixels per pixel drawn
    const auto source = [&](int at, int size) { return std::min(int((at + 0.5) * step), size - 1); };
    // The transparent colour is the one the picture has at its own size.
    const QRgb cut = m_data->image.pixel(0, m_data->image.height() - 1);
    std::vector<QRgb> line(target.width());
    for (int y = 0; y < target.height(); ++y) {
        const QRgb *from = reinterpret_cast<const QRgb *>(image.constScanLine(source(y, image.height())));
        for (int x = 0; x < target.width(); ++x)
            line[x] = from[source(x, image.width())];
        for (int x = 0; x < target.width();) {
            int end = x + 1;
            while (end < target.width() && line[end] == line[x])
                ++end;
            if (!m_transparent || line[x] != cut)
                runs.push_back({x, y, end - x, line[x] | 0xFF000000u});
            x = end;
        }
    }
    return runs;
}

QSize Picture::sizeAt(qreal scale) const
{
    return QSize(Raster::edge(size().width(), scale), Raster::edge(size().height(), scale));
}

QImage Picture::drawableAt(int scale) const
{
    if (isNull())
        return {};
    if (scale == 1)
        return drawable();
    QImage image(size() * scale, m_transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    image.fill(Qt::transparent);
    for (const Run &run : runsAt(scale)) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(run.y));
        std::fill_n(line + run.x, run.length, run.colour);
    }
    return image;
}
