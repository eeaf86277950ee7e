#include "support/AutomationRecorder.h"

#include <QSet>

using namespace Qt::StringLiterals;

struct AutomationRecorder::State
{
    QStringList log;
    QSet<QString> refused;
    int failAt = -1;
    int nextId = 1;
    int live = 0;

    void record(const QString &line)
    {
        if (log.size() == failAt) {
            log.append(line + " failed"_L1);
            throw AutomationError("recorded failure");
        }
        log.append(line);
    }
};

namespace {

QString argsText(const AutomationArgs &args)
{
    if (args.isEmpty())
        return {};
    QStringList parts;
    for (const QVariant &arg : args)
        parts.append(AutomationRecorder::valueText(arg));
    return u'(' + parts.join(", "_L1) + u')';
}

class RecordedObject : public AutomationObject
{
public:
    RecordedObject(std::shared_ptr<AutomationRecorder::State> state, int id)
        : m_state(std::move(state))
        , m_id(id)
    {
        ++m_state->live;
    }
    ~RecordedObject() override
    {
        --m_state->live;
        m_state->log.append("release #"_L1 + QString::number(m_id));
    }

    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        const int id = m_state->nextId;
        m_state->record(u'#' + QString::number(m_id) + u'.' + member + argsText(args) + " = #"_L1
                        + QString::number(id));
        ++m_state->nextId;
        return std::make_unique<RecordedObject>(m_state, id);
    }
    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        m_state->record(u'#' + QString::number(m_id) + u'.' + member + argsText(indexes) + " := "_L1
                        + AutomationRecorder::valueText(value));
    }

private:
    std::shared_ptr<AutomationRecorder::State> m_state;
    int m_id;
};

} // namespace

AutomationRecorder::AutomationRecorder()
    : m_state(std::make_shared<State>())
{ }

AutomationRecorder::~AutomationRecorder() = default;

std::unique_ptr<AutomationObject> AutomationRecorder::create(const QString &progId)
{
    if (m_state->refused.contains(progId)) {
        m_state->log.append("create "_L1 + progId + " = null"_L1);
        return nullptr;
    }
    const int id = m_state->nextId;
    m_state->record("create "_L1 + progId + " = #"_L1 + QString::number(id));
    ++m_state->nextId;
    return std::make_unique<RecordedObject>(m_state, id);
}

void AutomationRecorder::refuseCreate(const QString &progId)
{
    m_state->refused.insert(progId);
}

void AutomationRecorder::failAtLine(int index)
{
    m_state->failAt = index;
}

QStringList AutomationRecorder::log() const
{
    return m_state->log;
}

int AutomationRecorder::liveObjects() const
{
    return m_state->live;
}

QString AutomationRecorder::valueText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::QString:
        return u'"' + value.toString() + u'"';
    case QMetaType::Bool:
        return value.toBool() ? u"true"_s : u"false"_s;
    case QMetaType::Int:
        return QString::number(value.toInt());
    default:
        return u'<' + QString::fromLatin1(value.typeName()) + u':' + value.toString() + u'>';
    }
}
