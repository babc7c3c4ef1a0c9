// The command line of both programs: the options they share (--help,
// --version and --scan), beside those each program adds to parser() before
// parse(). Ends the program for --help, --version and a usage error: exit
// status 2 and one line that names the program, escaped for a terminal (an
// argument may come from the network by way of a script). Prints nothing.
#pragma once

#include <QCommandLineParser>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <optional>

class CommandOptions
{
public:
    // Exit status of a usage error (an unknown option, a bad argument).
    static constexpr int usageError = 2;

    // program: the name on messages; title: the name --version prints before
    // the version; description: the help's text above the options.
    CommandOptions(const QString &program, const QString &title, const QString &description);

    // For the program's own options and arguments.
    QCommandLineParser &parser() { return m_parser; }

    // Parses arguments, the program's name first. True when the program goes
    // on; false when it ends at once with exitStatus(), output() and error().
    // The help text needs an application object: with none, helpWanted() says
    // that one is due, and help() then gives the text.
    bool parse(const QStringList &arguments);
    bool helpWanted() const { return m_helpWanted; }
    QString help() const { return m_parser.helpText(); }

    // The addresses of --scan, then the stored ones not among them; nothing
    // after a usage error for an address that is none.
    std::optional<QList<QHostAddress>> scanTargets(const QList<QHostAddress> &stored);

    // Ends the program with a usage error; message names what is wrong.
    void fail(const QString &message);

    std::optional<int> exitStatus() const { return m_exitStatus; }
    QString output() const { return m_output; }
    QString error() const { return m_error; }

private:
    const QString m_program;
    const QString m_title;
    QCommandLineParser m_parser;
    const QCommandLineOption m_help;
    const QCommandLineOption m_version;
    const QCommandLineOption m_scan;
    bool m_helpWanted = false;
    std::optional<int> m_exitStatus;
    QString m_output;
    QString m_error;
};
