#include "drawing/picture.h"

#include <QDir>
#include <QFileInfo>
#include <stdexcept>

Picture Picture::fromResource(const QString &name, const QString &folder)
{
    const QFileInfoList entries = QDir(folder).entryInfoList(QDir::Files);
    for (const QFileInfo &entry : entries) {
        if (entry.completeBaseName().compare(name, Qt::CaseInsensitive) == 0) {
            QImage image(entry.filePath());
            if (!image.isNull())
                return Picture(image.convertToFormat(QImage::Format_RGB32));
        }
    }
    throw std::runtime_error(QStringLiteral("Ressource introuvable : %1").arg(name).toStdString());
}

void Picture::setTransparent(bool transparent)
{
    m_transparent = transparent;
    if (!transparent || isNull() || !m_cutOut.isNull())
        return;
    const QRgb key = m_image.pixel(0, m_image.height() - 1);
    m_cutOut = m_image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < m_cutOut.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(m_cutOut.scanLine(y));
        for (int x = 0; x < m_cutOut.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    m_cutOut = m_cutOut.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}
