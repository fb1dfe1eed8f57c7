#include "office/worker/RefusingInteraction.h"

#include "office/worker/UnoText.h"
#include "office/worker/WorkerLog.h"

#include <com/sun/star/document/BrokenPackageRequest.hpp>
#include <com/sun/star/task/PasswordRequest.hpp>
#include <com/sun/star/task/XInteractionAbort.hpp>

void RefusingInteraction::handle(const css::uno::Reference<css::task::XInteractionRequest>& request)
{
    const css::uno::Any question = request->getRequest();
    css::task::PasswordRequest password;
    css::document::BrokenPackageRequest broken;
    if (question >>= password)
        m_password = true;
    else if (question >>= broken)
        m_repair = true;
    else {
        qCDebug(lcWorker) << "left unanswered:" << fromUno(question.getValueTypeName());
        return;
    }
    for (const auto& continuation : request->getContinuations()) {
        const css::uno::Reference<css::task::XInteractionAbort> abort(continuation,
                                                                      css::uno::UNO_QUERY);
        if (abort.is()) {
            abort->select();
            return;
        }
    }
}
