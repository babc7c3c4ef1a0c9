// A picture of the resource collection that the scene shows in its first
// frame, decoded on a thread of its own from the start of the program on,
// while the application, the hub and the scene are set up; the scene's
// request for it is then answered with the decoded copy instead of being
// decoded on the GUI thread. The scene names the picture as always
// (qrc:///background.png); the engine's URL interceptor sends the request here.
#pragma once

#include <QQmlAbstractUrlInterceptor>
#include <QQuickImageProvider>
#include <QString>
#include <QUrl>

#include <future>
#include <memory>

class QQmlEngine;

class PreloadedPicture : public QQuickImageProvider, public QQmlAbstractUrlInterceptor
{
public:
    // Starts decoding the picture at resourcePath (":/background.png").
    explicit PreloadedPicture(const QString &resourcePath);
    ~PreloadedPicture() override;

    // Has engine take the picture from here, before it loads the scene. The
    // engine keeps the picture for its lifetime.
    static void install(std::unique_ptr<PreloadedPicture> picture, QQmlEngine *engine);

    // The decoded picture; waits for the end of its decoding if need be (never
    // longer than decoding it here would take).
    QImage requestImage(const QString &id, QSize *size, const QSize &requestedSize) override;
    QUrl intercept(const QUrl &url, DataType type) override;

private:
    QString m_path; // in the collection, as the scene's qrc:/// URL has it
    QUrl m_providedUrl; // where the engine then asks
    std::shared_future<QImage> m_decoded;
};
