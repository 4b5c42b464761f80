#pragma once

#include <QString>

// What a load, a save or a command came to: whether it went through, and
// the message for the user, if there is one (a failure's, or a warning
// that comes with a success).
struct Outcome
{
    bool ok = false;
    QString message;
};
