// What the scene may load: its own files and pictures from the resource
// collection, and nothing from the network. Every network request of the
// scene's engine (a picture, a script, an XMLHttpRequest) is refused before
// anything is sent. Pictures of the notice's rich text that name local files
// are not the engine's to refuse: the notice's markup names none
// (NoticeMarkup).
#pragma once

#include <QQmlNetworkAccessManagerFactory>

class QQmlEngine;

class ScenePolicy : public QQmlNetworkAccessManagerFactory
{
public:
    // Installs the policy on engine, before it loads the scene.
    static void apply(QQmlEngine *engine);

    QNetworkAccessManager *create(QObject *parent) override;
};
