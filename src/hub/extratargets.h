// Addresses a scan reaches besides the broadcast networks the machine is on:
// players behind a router (a VLAN, a VPN to a second site) hear no broadcast
// from here, but a datagram sent to their own address, or to their network's
// broadcast address, reaches them. Named with --scan on the command line of the
// application and of quintavo-cli, or kept in the application's settings file.
#pragma once

#include <QHostAddress>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ExtraTargets {

// The key of the address list in the settings file.
inline constexpr char settingsKey[] = "discovery/extraTargets";

// An IPv4 address (the hub listens on IPv4 only) as four decimal numbers from
// 0 to 255, leading zeros allowed (010 is ten), or nothing.
std::optional<QHostAddress> parse(const QString &text);

// The addresses of texts in their order, each once. Gives nothing when a text
// is no IPv4 address, and names that text in *invalid.
std::optional<QList<QHostAddress>> parseAll(const QStringList &texts, QString *invalid);

// The addresses given, then those stored that are not among them.
QList<QHostAddress> withStored(QList<QHostAddress> given, const QList<QHostAddress> &stored);

// The addresses kept in the application's settings file. Entries that are no
// IPv4 address are left out and listed in *ignored.
QList<QHostAddress> fromSettings(QStringList *ignored);
QString settingsFile();
// What a program says of an entry in the settings file that it leaves out.
QString ignoredNotice(const QString &text);

} // namespace ExtraTargets
