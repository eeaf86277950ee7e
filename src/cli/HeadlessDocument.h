#pragma once

#include "document/LogDocument.h"
#include "document/RecordSource.h"
#include "platform/Language.h"

#include <QString>

class MessageSink;
class WorkProgress;

// The open log of a `--to` run: a LogDocument driven as the main window drives
// it (open, buffer and display format picks, tag sheet), each outcome reported
// with the message the window shows for it. The curve window reads it as the
// open log.
//
// A stop that the progress asks for throws WorkStopped out of the call.
class HeadlessDocument : public RecordSource
{
public:
    HeadlessDocument(Language language, MessageSink &messages, WorkProgress *progress);

    LogDocument &document() { return m_document; }
    const LogDocument &document() const { return m_document; }

    // Reads the tag sheet at `path` for the loads to come; a faulty sheet is
    // refused with a message naming its line and column: false then.
    bool useTagSheet(const QString &path);
    void open(const QString &path);
    // How a pick of the buffer or display format list went.
    enum class Pick {
        Done,
        // The list is disabled for the open file.
        NotAvailable,
        // The binary file could not be read again in the format (said why).
        Failed,
    };
    // A buffer (1 .. 12) or format already shown is left as it is.
    Pick pickBuffer(int buffer);
    Pick pickFormat(ValueFormat::Format format);
    // The grid holds the file's records.
    bool loaded() const { return m_document.gridState() == LogDocument::GridState::Loaded; }

    // RecordSource
    const RecordGridModel &recordGrid() const override { return m_document.grid(); }
    Language language() const override { return m_language; }
    bool displayFormatEnabled() const override;
    ValueFormat::Format displayFormat() const override { return m_document.format(); }
    QString openFileName() const override { return m_document.path(); }

private:
    void message(const QString &caption, const QString &text);
    void showOpenOutcome(const LogDocument::Outcome &outcome);
    void showBufferOutcome(const LogDocument::Outcome &outcome);
    // False when the binary data could not be read whole in the new format.
    bool showFormatOutcome(const LogDocument::Outcome &outcome);
    // The record buffer's item as the buffer list shows it.
    QString bufferText() const;

    LogDocument m_document;
    Language m_language;
    MessageSink &m_messages;
    // The lists as the open left them: enabled or not.
    bool m_buffersOn = false;
    bool m_formatsOn = false;
};
