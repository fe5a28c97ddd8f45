#include "store/Engine.h"

namespace zav::store {

void Database::AfterCommit(std::function<void()> action) {
    const int depth = TransactionDepth();
    if (depth == 0) {
        action();
        return;
    }
    m_afterCommit.push_back({depth, std::move(action)});
}

void Database::TransactionEnded(bool committed, int depthAfter) {
    if (!committed) {
        std::erase_if(m_afterCommit, [depthAfter](const PendingAction& p) { return p.depth > depthAfter; });
        return;
    }
    if (depthAfter > 0) {
        // A released savepoint hands its actions to the transaction around it.
        for (PendingAction& pending : m_afterCommit) {
            pending.depth = std::min(pending.depth, depthAfter);
        }
        return;
    }
    std::vector<PendingAction> due;
    due.swap(m_afterCommit);
    for (PendingAction& pending : due) {
        try {
            pending.action();
        } catch (...) {
            // the change is committed; what follows it cannot undo it
        }
    }
}

} // namespace zav::store
