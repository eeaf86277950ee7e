#include "LSCurrent.h"

TLSCurrentFrm::TLSCurrentFrm(const RecordSource &source, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_source(source)
{
    setObjectName(QStringLiteral("TLSCurrentFrm"));
}
