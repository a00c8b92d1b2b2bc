#include "infobase/tree/BranchNames.h"

namespace infobase {

bool nameTakenByOther(const TTreeNodes& items, const QString& name, const TTreeNode* except) {
    // Walks the whole tree without recursion, so that any depth is safe.
    const TTreeNode* node = items.getFirstNode();
    while (node != nullptr) {
        if (node != except && node->Text() == name) {
            return true;
        }
        if (const TTreeNode* child = node->getFirstChild()) {
            node = child;
            continue;
        }
        while (node != nullptr && node->getNextSibling() == nullptr) {
            node = node->Parent();
        }
        if (node != nullptr) {
            node = node->getNextSibling();
        }
    }
    return false;
}

} // namespace infobase
