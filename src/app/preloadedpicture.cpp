#include "preloadedpicture.h"

#include <QQmlEngine>

namespace {

const QString providerName = QStringLiteral("preloaded");

} // namespace

PreloadedPicture::PreloadedPicture(const QString &resourcePath)
    : QQuickImageProvider(QQuickImageProvider::Image),
      m_path(resourcePath.mid(1)),
      m_providedUrl(QStringLiteral("image://") + providerName + m_path),
      m_decoded(std::async(std::launch::async, [resourcePath] { return QImage(resourcePath); }))
{ }

// Waits for the decoding thread when the picture was never asked for.
PreloadedPicture::~PreloadedPicture() = default;

void PreloadedPicture::install(std::unique_ptr<PreloadedPicture> picture, QQmlEngine *engine)
{
    engine->setUrlInterceptor(picture.get());
    engine->addImageProvider(providerName, picture.release());
}

QImage PreloadedPicture::requestImage(const QString &, QSize *size, const QSize &)
{
    const QImage image = m_decoded.get();
    *size = image.size();
    return image;
}

QUrl PreloadedPicture::intercept(const QUrl &url, DataType type)
{
    const bool ours = type == UrlString && url.scheme() == QLatin1String("qrc")
        && url.host().isEmpty() && url.path() == m_path;
    return ours ? m_providedUrl : url;
}
