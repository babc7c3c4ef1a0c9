// update-sim: the update service stand-in, on a local port.
#include "updateservice.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>

#include <cstdio>

namespace {

constexpr qint64 maximumBodySize = 16 * 1024 * 1024;

void printLine(const QString &line)
{
    std::fputs(qPrintable(line + QLatin1Char('\n')), stdout);
    std::fflush(stdout);
}

int fail(const QString &message)
{
    std::fprintf(stderr, "update-sim: %s\n", qPrintable(message));
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("update-sim"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Stand-in for the update service: answers GET /qarn/update.php with a JSON offer."));
    parser.addHelpOption();
    parser.addOptions({
        {QStringLiteral("port"), QStringLiteral("TCP port (0: any free port)."),
         QStringLiteral("PORT"), QStringLiteral("0")},
        {QStringLiteral("bind"), QStringLiteral("Address to listen on."), QStringLiteral("ADDRESS"),
         QStringLiteral("127.0.0.1")},
        {QStringLiteral("body"), QStringLiteral("File served verbatim as the answer."),
         QStringLiteral("FILE")},
        {QStringLiteral("status"), QStringLiteral("HTTP status of the answer."),
         QStringLiteral("CODE"), QStringLiteral("200")},
    });
    parser.process(app);

    bool ok = false;
    const uint port = parser.value(QStringLiteral("port")).toUInt(&ok);
    if (!ok || port > 65535)
        return fail(QStringLiteral("--port must be from 0 to 65535"));
    const int status = parser.value(QStringLiteral("status")).toInt(&ok);
    if (!ok || status < 100 || status > 599)
        return fail(QStringLiteral("--status must be an HTTP status from 100 to 599"));
    QHostAddress address;
    if (!address.setAddress(parser.value(QStringLiteral("bind"))))
        return fail(QStringLiteral("--bind needs an IP address"));

    UpdateService service;
    service.setStatus(status);
    if (parser.isSet(QStringLiteral("body"))) {
        QFile file(parser.value(QStringLiteral("body")));
        if (!file.open(QIODevice::ReadOnly))
            return fail(
                QStringLiteral("cannot read %1: %2").arg(file.fileName(), file.errorString()));
        if (file.size() > maximumBodySize)
            return fail(QStringLiteral("%1 is larger than %2 bytes")
                            .arg(file.fileName())
                            .arg(maximumBodySize));
        service.setBody(file.read(maximumBodySize));
    }

    QString error;
    if (!service.listen(address, static_cast<quint16>(port), &error)) {
        std::fprintf(stderr, "update-sim: cannot listen: %s\n", qPrintable(error));
        return 1;
    }
    printLine(QStringLiteral("listening on %1").arg(service.port()));
    QObject::connect(&service, &UpdateService::logged, &app, &printLine);
    return app.exec();
}
