#include "automation/AxAutomation.h"

#include <QAxObject>

#include <memory>

namespace {

class AxObject : public AutomationObject
{
public:
    explicit AxObject(QAxObject *object)
        : m_object(object)
    { }

    std::unique_ptr<AutomationObject> get(const QString &member,
                                          const AutomationArgs &args) override
    {
        QList<QVariant> vars = args;
        QAxObject *child = m_object->querySubObject(member.toLatin1().constData(), vars);
        if (!child)
            throw AutomationError("cannot read " + member.toStdString());
        // Owned here, not by the parent: released when this reference goes.
        child->setParent(nullptr);
        return std::make_unique<AxObject>(child);
    }

    void set(const QString &member, const AutomationArgs &indexes, const QVariant &value) override
    {
        if (indexes.isEmpty()) {
            if (!m_object->setProperty(member.toLatin1().constData(), value))
                throw AutomationError("cannot write " + member.toStdString());
            return;
        }
        // An indexed property is written through the object it yields.
        QList<QVariant> vars = indexes;
        std::unique_ptr<QAxObject> target(
            m_object->querySubObject(member.toLatin1().constData(), vars));
        if (!target || !target->setProperty("Value", value))
            throw AutomationError("cannot write " + member.toStdString());
    }

private:
    std::unique_ptr<QAxObject> m_object;
};

class AxFactory : public AutomationFactory
{
public:
    std::unique_ptr<AutomationObject> create(const QString &progId) override
    {
        auto object = std::make_unique<QAxObject>(progId);
        if (object->isNull())
            return nullptr;
        return std::make_unique<AxObject>(object.release());
    }
};

} // namespace

std::unique_ptr<AutomationFactory> makeAxAutomation()
{
    return std::make_unique<AxFactory>();
}
