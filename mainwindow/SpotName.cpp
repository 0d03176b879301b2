#include "SpotName.h"

namespace SpotName {

QByteArray forServer(const QString& text)
{
    const QString name = text.isEmpty() ? QStringLiteral("no_name") : text;
    QByteArray bytes;
    for (int i = 0; i < name.size(); ++i) {
        // A surrogate pair is one character: never split it.
        const int length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QByteArray character = name.mid(i, length).toLocal8Bit();
        if (bytes.size() + character.size() > MaxBytes)
            break;
        bytes += character;
        i += length - 1;
    }
    return bytes;
}

} // namespace SpotName
