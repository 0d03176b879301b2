#include "SpotName.h"

namespace SpotName {

QByteArray forServer(const QString& text, bool* shortened)
{
    const QString name = text.isEmpty() ? QStringLiteral("no_name") : text;
    QByteArray bytes;
    bool cut = false;
    for (int i = 0; i < name.size(); ++i) {
        // A surrogate pair is one character: never split it.
        const int length = name.at(i).isHighSurrogate() && i + 1 < name.size() ? 2 : 1;
        const QByteArray character = name.mid(i, length).toLocal8Bit();
        if (bytes.size() + character.size() > MaxBytes) {
            cut = true;
            break;
        }
        bytes += character;
        i += length - 1;
    }
    if (shortened != nullptr)
        *shortened = cut;
    return bytes;
}

} // namespace SpotName
