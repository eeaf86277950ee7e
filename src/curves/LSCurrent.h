#pragma once

#include <QWidget>

class RecordSource;

// Placeholder curve window: hidden until its issue lands.
class TLSCurrentFrm : public QWidget
{
    Q_OBJECT
public:
    explicit TLSCurrentFrm(const RecordSource &source, QWidget *parent = nullptr);

private:
    const RecordSource &m_source;
};
