#include "infobase/AppPaths.h"

#include <QDir>

namespace infobase {

AppPaths AppPaths::fromCurrentDirectory() {
    return AppPaths{QDir::currentPath()};
}

} // namespace infobase
