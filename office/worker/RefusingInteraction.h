#pragma once

#include <com/sun/star/task/XInteractionHandler.hpp>
#include <cppuhelper/implbase1.hxx>

// Answers the office's questions while a document loads, when nobody is there to answer: a
// password or a repair is refused, so the load fails at once instead of waiting. Other questions
// (import options) are left unanswered, which keeps the import's defaults.
class RefusingInteraction final : public cppu::WeakImplHelper1<css::task::XInteractionHandler>
{
public:
    void SAL_CALL
    handle(const css::uno::Reference<css::task::XInteractionRequest>& request) override;

    bool askedForPassword() const { return m_password; }
    bool askedToRepair() const { return m_repair; }

private:
    bool m_password = false;
    bool m_repair = false;
};
