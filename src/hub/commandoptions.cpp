#include "commandoptions.h"

#include "applicationinfo.h"
#include "extratargets.h"
#include "terminaltext.h"

#include <QCoreApplication>

CommandOptions::CommandOptions(const QString &program, const QString &title,
                               const QString &description)
    : m_program(program),
      m_title(title),
      // Not addHelpOption(): the application's --help-all would list Qt's
      // options, which it prints only through QGuiApplication.
      m_help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Displays this help.")),
      m_version({QStringLiteral("v"), QStringLiteral("version")},
                QStringLiteral("Displays version information.")),
      m_scan(QStringLiteral("scan"),
             QStringLiteral("Send the discovery datagram also to ADDRESS (a player's address, or "
                            "the broadcast address of a network the broadcast does not reach). "
                            "Repeatable."),
             QStringLiteral("ADDRESS"))
{
    m_parser.setApplicationDescription(description);
    m_parser.addOptions({m_help, m_version, m_scan});
}

bool CommandOptions::parse(const QStringList &arguments)
{
    if (!m_parser.parse(arguments)) {
        fail(m_parser.errorText() + QStringLiteral(" (see --help)"));
        return false;
    }
    if (m_parser.isSet(m_help)) {
        m_exitStatus = 0;
        m_helpWanted = !QCoreApplication::instance();
        if (!m_helpWanted)
            m_output = help();
        return false;
    }
    if (m_parser.isSet(m_version)) {
        m_exitStatus = 0;
        m_output = m_title + QLatin1Char(' ') + ApplicationInfo::quintavo().versionText()
            + QLatin1Char('\n');
        return false;
    }
    return true;
}

std::optional<QList<QHostAddress>> CommandOptions::scanTargets(const QList<QHostAddress> &stored)
{
    QString invalid;
    const auto given = ExtraTargets::parseAll(m_parser.values(m_scan), &invalid);
    if (!given) {
        fail(QStringLiteral("--scan needs an IPv4 address, not \"%1\"").arg(invalid));
        return std::nullopt;
    }
    return ExtraTargets::withStored(*given, stored);
}

void CommandOptions::fail(const QString &message)
{
    m_exitStatus = usageError;
    m_output.clear();
    m_error = m_program + QStringLiteral(": ") + TerminalText::escaped(message) + QLatin1Char('\n');
}
