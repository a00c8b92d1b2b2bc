#include "infobase/tree/TreeViewState.h"

namespace infobase {

void TreeViewState::alignWithin(qint32 clientWidth, qint32 clientHeight) {
    const TBounds& b = bounds;
    switch (Align) {
    case TAlign::alNone:
    case TAlign::alCustom:
        return;
    case TAlign::alTop:
        bounds = {0, 0, clientWidth, b.Height};
        return;
    case TAlign::alBottom:
        bounds = {0, clientHeight - b.Height, clientWidth, b.Height};
        return;
    case TAlign::alLeft:
        bounds = {0, 0, b.Width, clientHeight};
        return;
    case TAlign::alRight:
        bounds = {clientWidth - b.Width, 0, b.Width, clientHeight};
        return;
    case TAlign::alClient:
        bounds = {0, 0, clientWidth, clientHeight};
        return;
    }
}

} // namespace infobase
