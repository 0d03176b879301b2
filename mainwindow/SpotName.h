#pragma once

#include <QByteArray>
#include <QString>

// The name a spot is shared under: the user's text, "no_name" when it is
// empty, in the local 8-bit encoding and at most MaxBytes bytes long, cut
// between characters. (The server client percent-encodes it in the path.)
namespace SpotName {

constexpr int MaxBytes = 64;

// shortened, when given, tells whether the text had to be cut.
QByteArray forServer(const QString& text, bool* shortened = nullptr);

} // namespace SpotName
