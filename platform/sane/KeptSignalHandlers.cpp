#include "platform/sane/KeptSignalHandlers.h"

KeptSignalHandlers::KeptSignalHandlers()
{
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], nullptr, &m_actions[i]);
}

void KeptSignalHandlers::restore() const
{
    for (size_t i = 0; i < kSignals.size(); ++i)
        sigaction(kSignals[i], &m_actions[i], nullptr);
}
