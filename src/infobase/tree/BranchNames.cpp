#include "infobase/tree/BranchNames.h"

namespace infobase {

bool nameTakenByOther(const TTreeNodes& items, const QString& name, const TTreeNode* except) {
    const int own = except != nullptr && except->Text() == name ? 1 : 0;
    return items.NameCount(name) > own;
}

} // namespace infobase
