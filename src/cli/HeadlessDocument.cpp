#include "cli/HeadlessDocument.h"

#include "platform/MessageSink.h"
#include "records/TagSheet.h"
#include "texts/MainTexts.h"

#include <QFileInfo>

HeadlessDocument::HeadlessDocument(Language language, MessageSink &messages, WorkProgress *progress)
    : m_language(language)
    , m_messages(messages)
{
    m_document.setTitleLanguage(language);
    m_document.setProgress(progress);
}

bool HeadlessDocument::displayFormatEnabled() const
{
    // Value columns are shown: data records, whether the format or a tag sheet decides them.
    const LogDocument::FileKind kind = m_document.kind();
    return loaded()
        && (kind == LogDocument::FileKind::RecordDatabase
            || kind == LogDocument::FileKind::BinaryData);
}

void HeadlessDocument::message(const QString &caption, const QString &text)
{
    m_messages.showMessage(nullptr, MessageIcon::Information, caption, text);
}

QString HeadlessDocument::bufferText() const
{
    return MainTexts::bufferItem(m_language, m_document.buffer() - 1);
}

bool HeadlessDocument::useTagSheet(const QString &path)
{
    TagSheetReading reading = TagSheet::read(path);
    if (!reading.sheet) {
        message(MainTexts::captionNorvale(), reading.fault.message(m_language));
        return false;
    }
    m_document.setTagSheet(std::move(reading.sheet), QFileInfo(path).absoluteFilePath());
    return true;
}

void HeadlessDocument::open(const QString &path)
{
    m_buffersOn = false;
    m_formatsOn = false;
    showOpenOutcome(m_document.open(path));
}

void HeadlessDocument::showOpenOutcome(const LogDocument::Outcome &outcome)
{
    using Status = LogDocument::Status;
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase) {
        m_buffersOn = true;
        showBufferOutcome(outcome);
    } else {
        switch (outcome.status) {
        case Status::InvalidDatabase:
            message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
            return;
        case Status::DatabaseFailed:
            m_messages.showFailure(nullptr, MessageIcon::Information, MainTexts::captionNorvale(),
                                   MainTexts::invalidDatabase(), outcome.cause);
            break;
        case Status::TooLarge:
            message(MainTexts::captionNorvale(),
                    MainTexts::tooLargeMessage(m_language, outcome.records, outcome.bytesNeeded));
            break;
        case Status::FileTooLarge:
            message(MainTexts::captionNorvale(),
                    MainTexts::fileTooLarge(m_language, outcome.records, outcome.bytesNeeded,
                                            outcome.fileBytes));
            break;
        default:
            // A file that cannot be opened, holds less than a header block or
            // ends inside a record is passed over in silence.
            break;
        }
    }
    m_formatsOn = m_document.formatSelectable() && !m_document.tagSheetDecides();
}

void HeadlessDocument::showBufferOutcome(const LogDocument::Outcome &outcome)
{
    switch (outcome.status) {
    case LogDocument::Status::Loaded:
        break;
    case LogDocument::Status::NoData:
        message(MainTexts::captionNoData(), MainTexts::noDataMessage(m_language, bufferText()));
        break;
    case LogDocument::Status::TooLarge:
        message(MainTexts::captionNorvale(),
                MainTexts::tooLargeMessage(m_language, outcome.records, outcome.bytesNeeded));
        break;
    default:
        m_messages.showFailure(nullptr, MessageIcon::Information, MainTexts::captionNorvale(),
                               MainTexts::notCreatedMessage(m_language, bufferText()),
                               outcome.cause);
        break;
    }
}

bool HeadlessDocument::showFormatOutcome(const LogDocument::Outcome &outcome)
{
    switch (outcome.status) {
    case LogDocument::Status::Loaded:
        return true;
    case LogDocument::Status::FileTooLarge:
        message(MainTexts::captionNorvale(),
                MainTexts::fileTooLarge(m_language, outcome.records, outcome.bytesNeeded,
                                        outcome.fileBytes));
        return false;
    default:
        message(MainTexts::captionNorvale(), MainTexts::invalidDatabase());
        return false;
    }
}

HeadlessDocument::Pick HeadlessDocument::pickBuffer(int buffer)
{
    if (!m_buffersOn)
        return Pick::NotAvailable;
    if (buffer != m_document.buffer())
        showBufferOutcome(m_document.selectBuffer(buffer));
    return Pick::Done;
}

HeadlessDocument::Pick HeadlessDocument::pickFormat(ValueFormat::Format format)
{
    if (!m_formatsOn)
        return Pick::NotAvailable;
    if (format == m_document.format())
        return Pick::Done;
    const LogDocument::Outcome outcome = m_document.selectFormat(format);
    if (m_document.kind() == LogDocument::FileKind::RecordDatabase) {
        showBufferOutcome(outcome);
        return Pick::Done;
    }
    return showFormatOutcome(outcome) ? Pick::Done : Pick::Failed;
}
