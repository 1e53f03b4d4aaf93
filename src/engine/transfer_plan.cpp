#include "engine/transfer_plan.h"

#include <algorithm>
#include <iterator>

namespace ferrolin {

void TransferPlan::Append(TransferPlan other) {
    actions.insert(actions.end(), std::make_move_iterator(other.actions.begin()),
                   std::make_move_iterator(other.actions.end()));
    failures.insert(failures.end(), std::make_move_iterator(other.failures.begin()),
                    std::make_move_iterator(other.failures.end()));
}

size_t TransferPlan::Count(PlanVerb verb) const {
    return static_cast<size_t>(std::count_if(
        actions.begin(), actions.end(), [verb](const PlanAction& a) { return a.verb == verb; }));
}

}  // namespace ferrolin
