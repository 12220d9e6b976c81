#include "statements/EditorRules.h"

#include "data/DataError.h"
#include "data/Dataset.h"
#include "platform/Error.h"
#include "platform/Messages.h"

using namespace Qt::StringLiterals;

namespace statements {

QString closeQuestion(const QString &caption)
{
    return u"V tabulce "_s + caption + u" byly provedeny změny."_s + u'\n' + u"Uložit záznam?"_s;
}

bool postEdited(data::Dataset &dataset, platform::IMessages &messages)
{
    if (!dataset.isActive() || !dataset.isEditing())
        return true;
    try {
        dataset.post();
        return true;
    } catch (const platform::Error &e) {
        messages.error(e.message());
        return false;
    }
}

bool closeRequest(data::Dataset &dataset, platform::IMessages &messages, const QString &caption)
{
    if (!dataset.isActive() || !dataset.isEditing())
        return true;
    switch (messages.question(closeQuestion(caption))) {
    case platform::IMessages::Answer::Yes:
        return postEdited(dataset, messages);
    case platform::IMessages::Answer::No:
        dataset.cancel();
        return true;
    case platform::IMessages::Answer::Cancel:
        break;
    }
    return false;
}

bool escapeRequest(data::Dataset &dataset, platform::IMessages &messages)
{
    if (!dataset.isActive() || !dataset.isEditing())
        return true;
    if (messages.confirm(u"Uložit provedené změny?"_s))
        postEdited(dataset, messages);
    else
        dataset.cancel();
    return false;
}

} // namespace statements
