#pragma once

#include <QtGlobal>

// Long work (a load, a save, a drawing) asks this now and then whether to go on, with how much is
// done so far (rows read or written). Asking must stay cheap: an answer that needs a clock or the
// user is for the implementation to ration.
class WorkProgress
{
public:
    virtual ~WorkProgress() = default;
    virtual bool keepGoing(qint64 done) = 0;
};

// Thrown out of work that was told to stop. Not a failure, so no std::exception: the handlers
// of failures let it pass to the one who started the work.
struct WorkStopped
{ };

// Stops the work (throws WorkStopped) when `progress` says so.
inline void stopUnlessGoing(WorkProgress *progress, qint64 done)
{
    if (progress && !progress->keepGoing(done))
        throw WorkStopped();
}
