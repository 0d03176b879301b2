#include "UserAction.h"

UserAction UserAction::fromText(const QString& text)
{
    if (text.isEmpty())
        return {};
    return {text.startsWith(QLatin1String("orvex.")) ? ScriptSource : ScriptFile, text};
}
