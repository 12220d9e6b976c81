#pragma once

// Stands where the main window's status bar would: keeps the last report of
// each kind and counts them all.

#include "data/StatusSink.h"

#include <QByteArray>

namespace data {

// For Qt Test, so that a failed comparison reads plainly.
inline char *toString(const RecordPosition &position)
{
    QByteArray text = "no position";
    if (position.kind == RecordPosition::Kind::Record)
        text = QByteArray::number(position.recNo) + '/' + QByteArray::number(position.count);
    else if (position.kind == RecordPosition::Kind::NewRecord)
        text = "new record";
    return qstrdup(text.constData());
}

} // namespace data

namespace statustest {

inline data::RecordPosition at(int recNo, int count)
{
    return {data::RecordPosition::Kind::Record, recNo, count};
}

inline data::RecordPosition newRecord()
{
    return {data::RecordPosition::Kind::NewRecord, 0, 0};
}

struct StatusRecorder : data::IStatusSink
{
    void message(const QString &text) override
    {
        lastMessage = text;
        ++events;
    }
    void editingChanged(bool on) override
    {
        editing = on;
        ++events;
    }
    void positionChanged(const data::RecordPosition &at) override
    {
        position = at;
        ++events;
    }

    QString lastMessage;
    bool editing = false;
    data::RecordPosition position;
    int events = 0;
};

} // namespace statustest
