#pragma once

#include <QString>

// What a user action button's "ACTION_<n>" text asks for: nothing when empty,
// script source when it begins with "orvex.", otherwise a script file's path.
struct UserAction
{
    enum Kind { None, ScriptSource, ScriptFile };

    static UserAction fromText(const QString& text);

    Kind kind = None;
    QString text;
};
