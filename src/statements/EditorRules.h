#pragma once

#include <QString>

namespace data {
class Dataset;
}
namespace platform {
class IMessages;
}

// What every statement editor does with its record when the user leaves it
// or gives up a change, without the window.
namespace statements {

// "V tabulce <caption> byly provedeny změny." and "Uložit záznam?" on the
// next line.
QString closeQuestion(const QString &caption);

// The close request of an editor: while the record is edited asks the close
// question; Yes posts, No cancels, Cancel keeps the window. True when the
// window may close. A post that fails shows its reason and keeps the window.
bool closeRequest(data::Dataset &dataset, platform::IMessages &messages, const QString &caption);

// Esc: true when the window should close (the record is not being edited);
// otherwise asks "Uložit provedené změny?", posts on Yes, cancels on No, and
// the window stays.
bool escapeRequest(data::Dataset &dataset, platform::IMessages &messages);

// F9 and the navigator's post: posts an edited record; false with the reason
// shown when that failed.
bool postEdited(data::Dataset &dataset, platform::IMessages &messages);

} // namespace statements
