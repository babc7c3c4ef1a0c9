// The file of remembered players: JSON with a version and one object a
// player, its times in ISO 8601 (UTC). The file is data like any that comes
// from the network: sizes are capped, every member is checked, and a file
// that breaks a rule is refused whole, with the reason, never half read.
#pragma once

#include "rememberedplayer.h"

#include <QByteArray>
#include <QString>
#include <QVector>

#include <optional>

namespace PlayerFile {

// The version this program writes and reads.
inline constexpr int version = 1;
// A file larger than this is refused unread: a thousand players take some
// 300 KiB.
inline constexpr qint64 maximumSize = 4 * 1024 * 1024;
// Texts longer than these are refused: a host name is at most what a
// registration record carries; a description is cut to this when written.
inline constexpr int maximumHostName = 255;
inline constexpr int maximumDescription = 1024;

QByteArray encode(const QVector<RememberedPlayer> &players);

// The players of a file's bytes, or nothing, with the reason in *why.
std::optional<QVector<RememberedPlayer>> decode(const QByteArray &bytes, QString *why);

} // namespace PlayerFile
